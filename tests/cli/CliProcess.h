#pragma once

#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"

// The real skarvel-cli, started with the given arguments and SKARVEL_HOME, in
// `startFolder` when one is given.
class CliProcess : public ChildProcess {
public:
  CliProcess(const std::string& home, const std::vector<std::string>& args,
             const std::string& startFolder = {});
};
