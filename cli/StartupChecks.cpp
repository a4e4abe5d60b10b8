#include "cli/StartupChecks.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

std::optional<std::string> ProgramFolderProblem(const std::string& folder) {
  struct stat info {};
  if (stat(folder.c_str(), &info) != 0)
    return "the program folder " + folder +
           (errno == ENOENT ? " does not exist" : ": " + std::string(std::strerror(errno)));
  if (!S_ISDIR(info.st_mode))
    return "the program folder " + folder + " is not a folder";
  return std::nullopt;
}
