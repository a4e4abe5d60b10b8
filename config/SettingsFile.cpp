#include "config/SettingsFile.h"

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

#include "util/app_dir.h"
#include "util/file_io.h"

namespace {

std::string iniPath;
bool iniFileIsNew = false;
std::unique_ptr<TIniFile> sharedIni;
int openCount = 0;

void ComputeIniPath() {
  iniPath = InAppDir("skarvel.ini");
}

} // namespace

bool EnsureIniFile() {
  ComputeIniPath();
  iniFileIsNew = false;
  if (access(iniPath.c_str(), F_OK) == 0)
    return true;
  int fd = open(iniPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  // A file that cannot be made is missing all the same; one made meanwhile
  // by another start is not.
  const bool existed = fd < 0 && errno == EEXIST;
  iniFileIsNew = !existed;
  if (fd < 0)
    return existed;
  ssize_t put;
  do
    put = write(fd, "\n", 1);
  while (put < 0 && errno == EINTR);
  bool ok = close(fd) == 0 && put == 1;
  if (!ok)
    unlink(iniPath.c_str());
  return ok;
}

bool IniFileIsNew() {
  return iniFileIsNew;
}

const std::string& IniPath() {
  return iniPath;
}

std::optional<std::string> SettingsFileProblem(const std::string& path) {
  struct stat link {};
  if (lstat(path.c_str(), &link) != 0 && errno == ENOENT)
    return std::nullopt;
  // Never opened for this when it is a pipe or a device: a pipe would wait
  // for a writer, /dev/zero would be read until memory runs out.
  if (const std::optional<std::string> problem = WholeFileProblem(path))
    return "cannot read the settings file " + path + ": " + *problem;
  return std::nullopt;
}

void OpenIni() {
  if (openCount <= 0) {
    // The program folder does not change in a run, so this is the path
    // EnsureIniFile fixed; it is taken afresh for callers that never ran it.
    ComputeIniPath();
    sharedIni = std::make_unique<TIniFile>(iniPath);
    openCount = 0;
  }
  ++openCount;
}

void CloseIni() {
  if (openCount <= 0)
    return;
  if (--openCount > 0)
    return;
  // Dropped before the write so that a failed write leaves the store closed.
  std::unique_ptr<TIniFile> ini = std::move(sharedIni);
  ini->UpdateFile();
}

TIniFile& Ini() {
  if (!sharedIni)
    throw std::logic_error("The settings file is used outside OpenIni/CloseIni");
  return *sharedIni;
}

int IniOpenCount() {
  return openCount;
}
