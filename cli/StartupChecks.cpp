#include "cli/StartupChecks.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::optional<std::string> ProgramFolderProblem(const std::string& folder) {
  struct stat info {};
  if (stat(folder.c_str(), &info) != 0)
    return "the program folder " + folder +
           (errno == ENOENT ? " does not exist" : ": " + std::string(std::strerror(errno)));
  if (!S_ISDIR(info.st_mode))
    return "the program folder " + folder + " is not a folder";
  return std::nullopt;
}

std::optional<std::string> SettingsFileProblem(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  char probe;
  // Opening succeeds on a folder; reading one byte tells.
  const bool readable = fd >= 0 && read(fd, &probe, 1) >= 0;
  const int error = errno;
  if (fd >= 0)
    close(fd);
  if (readable)
    return std::nullopt;
  return "cannot read the settings file " + path + ": " + std::strerror(error);
}
