#include "tests/cli/CliProcess.h"

CliProcess::CliProcess(const std::string& home, const std::vector<std::string>& args,
                       const std::string& startFolder)
    : ChildProcess({.program = SKARVEL_CLI_PATH,
                    .args = args,
                    .environment = {"SKARVEL_HOME=" + home},
                    .workingFolder = startFolder}) {
}
