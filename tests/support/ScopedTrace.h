#pragma once

#include <limits.h>
#include <unistd.h>

#include <stdexcept>
#include <string>

#include "tests/support/TempDir.h"
#include "util/debug_log.h"

// The debug trace of one test: the switch on and the current folder a
// scratch folder, so "skarvel.err" lands there; both put back afterwards.
class ScopedTrace {
public:
  ScopedTrace() {
    char buffer[PATH_MAX];
    if (!getcwd(buffer, sizeof buffer) || chdir(folder_.path().c_str()) != 0)
      throw std::runtime_error("cannot enter the trace folder");
    savedCwd_ = buffer;
    savedSwitch_ = DebugSwitch();
    SetDebugSwitch(true);
  }
  ~ScopedTrace() {
    SetDebugSwitch(savedSwitch_);
    [[maybe_unused]] const int ignored = chdir(savedCwd_.c_str());
  }
  ScopedTrace(const ScopedTrace&) = delete;
  ScopedTrace& operator=(const ScopedTrace&) = delete;

  std::string Text() const {
    return folder_.exists("skarvel.err") ? folder_.read("skarvel.err") : "";
  }

private:
  TempDir folder_;
  std::string savedCwd_;
  bool savedSwitch_ = false;
};
