#include "util/app_dir.h"

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <unistd.h>
#include <vector>

namespace {

std::optional<std::string>& Folder() {
  static std::optional<std::string> folder;
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

std::string ComputeProgramFolder() {
  const char* home = std::getenv("SKARVEL_HOME");
  if (home && *home)
    return WithoutTrailingSlash(Absolute(home));
  const std::string exe = ExecutablePath();
  const std::size_t slash = exe.rfind('/');
  if (slash == std::string::npos)
    return CurrentFolder().value_or(
        "."); // the system cannot tell: the current folder is all we have
  return slash == 0 ? "/" : exe.substr(0, slash);
}

} // namespace

const std::string& ProgramFolder() {
  auto& folder = Folder();
  if (!folder)
    folder = ComputeProgramFolder();
  return *folder;
}

// An empty folder drops the override: the next call looks again.
void SetProgramFolder(const std::string& folder) {
  if (folder.empty())
    Folder().reset();
  else
    Folder() = WithoutTrailingSlash(Absolute(folder));
}

std::string InAppDir(const std::string& fileName) {
  if (fileName.find('/') != std::string::npos)
    return fileName;
  const std::string& folder = ProgramFolder();
  return folder == "/" ? folder + fileName : folder + "/" + fileName;
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
