#include "util/executable_path.h"

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace {

bool IsFile(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::is_regular_file(path, ignored);
}

} // namespace

std::string FindExecutable(const std::string& name, const std::string& searchPath) {
  if (name.empty())
    return {};
  if (name.find('/') != std::string::npos)
    return IsFile(name) ? name : std::string();
  std::size_t start = 0;
  while (!searchPath.empty() && start <= searchPath.size()) {
    std::size_t end = searchPath.find(':', start);
    if (end == std::string::npos)
      end = searchPath.size();
    // An empty entry stands for the current folder, as in a shell.
    const std::filesystem::path folder =
        end == start ? std::filesystem::path(".")
                     : std::filesystem::path(searchPath.substr(start, end - start));
    const std::string candidate = (folder / name).string();
    if (IsFile(candidate) && access(candidate.c_str(), X_OK) == 0)
      return candidate;
    start = end + 1;
  }
  return {};
}

std::string FindExecutable(const std::string& name) {
  const char* path = std::getenv("PATH");
  return FindExecutable(name, path ? path : "");
}
