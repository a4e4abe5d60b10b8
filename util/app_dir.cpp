#include "util/app_dir.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

struct TProgramFolder {
  std::string path;
  bool perUser = false; // rule 3: made on the first start
};

std::optional<TProgramFolder>& Folder() {
  static std::optional<TProgramFolder> folder;
  return folder;
}

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/')
    path.pop_back();
  return path;
}

std::optional<std::string> CurrentFolder() {
  std::vector<char> buffer(256);
  while (!getcwd(buffer.data(), buffer.size())) {
    if (errno != ERANGE || buffer.size() >= 65536)
      return std::nullopt;
    buffer.resize(buffer.size() * 2);
  }
  return std::string(buffer.data());
}

// A relative folder is taken from the current folder now: start-up changes
// into the program folder, after which the relative text would name another
// place.
std::string Absolute(const std::string& path) {
  if (path.starts_with('/'))
    return path;
  const auto current = CurrentFolder();
  if (!current)
    return path; // no current folder to go by: the text is all we have
  return *current == "/" ? "/" + path : *current + "/" + path;
}

std::string Joined(const std::string& folder, const std::string& name) {
  return folder == "/" ? folder + name : folder + "/" + name;
}

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// $HOME, else the password database's entry, as the shell finds "~".
std::string HomeFolder() {
  if (std::string home = Environment("HOME"); home.starts_with('/'))
    return home;
  std::vector<char> buffer(4096);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
      found->pw_dir && found->pw_dir[0] == '/')
    return found->pw_dir;
  return {};
}

// The base folder of per-user settings; a relative $XDG_CONFIG_HOME is
// ignored, as the base directory rules say.
std::string ConfigHome() {
  if (std::string config = Environment("XDG_CONFIG_HOME"); config.starts_with('/'))
    return WithoutTrailingSlash(config);
  const std::string home = HomeFolder();
  return home.empty() ? std::string() : Joined(WithoutTrailingSlash(home), ".config");
}

bool IsFile(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

TProgramFolder ComputeProgramFolder(const std::string& executable) {
  if (const std::string home = Environment("SKARVEL_HOME"); !home.empty())
    return {WithoutTrailingSlash(Absolute(home)), false};
  if (const std::string folder = FolderOf(executable);
      folder.starts_with('/') && IsFile(Joined(folder, "skarvel.ini")))
    return {folder, false};
  const std::string config = ConfigHome();
  return {config.empty() ? std::string() : Joined(config, "skarvel"), true};
}

std::string CreateError(const std::string& folder, int error) {
  return "cannot create the program folder " + folder + ": " + std::strerror(error);
}

} // namespace

const std::string& ProgramFolder() {
  auto& folder = Folder();
  if (!folder)
    folder = ComputeProgramFolder(ExecutablePath());
  return folder->path;
}

// An empty folder drops the override: the next call looks again.
void SetProgramFolder(const std::string& folder) {
  if (folder.empty())
    Folder().reset();
  else
    Folder() = TProgramFolder{WithoutTrailingSlash(Absolute(folder)), false};
}

std::string ProgramFolderFor(const std::string& executable) {
  return ComputeProgramFolder(executable).path;
}

std::optional<std::string> CreateProgramFolder() {
  const std::string& folder = ProgramFolder();
  if (!Folder()->perUser)
    return std::nullopt;
  if (folder.empty())
    return "no home folder for the settings: set HOME, XDG_CONFIG_HOME or SKARVEL_HOME";
  // Parent by parent, private to the user as the base directory rules ask;
  // folders that exist keep their permissions.
  for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
    const std::string part = folder.substr(0, slash);
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
      return CreateError(folder, errno);
    if (slash == std::string::npos)
      break;
  }
  struct stat info {};
  if (stat(folder.c_str(), &info) != 0)
    return CreateError(folder, errno);
  if (!S_ISDIR(info.st_mode))
    return CreateError(folder, ENOTDIR);
  return std::nullopt;
}

std::string InAppDir(const std::string& fileName) {
  if (fileName.find('/') != std::string::npos)
    return fileName;
  return Joined(ProgramFolder(), fileName);
}

std::string ExecutablePath() {
  // readlink neither terminates nor reports truncation, so grow the buffer
  // until the link fits with room to spare.
  std::vector<char> buffer(256);
  for (;;) {
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0)
      return {};
    if (static_cast<std::size_t>(length) < buffer.size())
      return std::string(buffer.data(), static_cast<std::size_t>(length));
    if (buffer.size() >= 65536)
      return {};
    buffer.resize(buffer.size() * 2);
  }
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos)
    return {};
  return slash == 0 ? "/" : path.substr(0, slash);
}
