#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"

// The real skarvel-fakeserver, started with the given arguments.
class FakeServerProcess : public ChildProcess {
public:
  explicit FakeServerProcess(const std::vector<std::string>& args);

  // The next `count` "ready ..." lines it prints; fewer when it ends or the
  // timeout passes first.
  std::vector<std::string> WaitForReadyLines(std::size_t count, int timeoutMs = 5000);
};
