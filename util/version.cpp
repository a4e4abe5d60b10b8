#include "util/version.h"

#include <dlfcn.h>

PackedVersion MakePackedVersion(unsigned major, unsigned minor, unsigned release) {
  return (major & 0xFFu) << 24 | (minor & 0xFFu) << 16 | (release & 0xFFu) << 8;
}

std::string VersionToText(PackedVersion version) {
  std::string text = std::to_string(version >> 24) + "." + std::to_string((version >> 16) & 0xFFu);
  const unsigned release = (version >> 8) & 0xFFu;
  if (release != 0)
    text += "." + std::to_string(release);
  return text;
}

bool ReadFileVersion(const std::string& path, FileVersion& version) {
  if (path.empty() || path.find('\0') != std::string::npos)
    return false;
  void* library = dlopen(path.c_str(), RTLD_LAZY | RTLD_LOCAL);
  if (!library)
    return false;
  const auto* numbers = static_cast<const uint16_t*>(dlsym(library, "FileVersion"));
  const bool found = numbers != nullptr;
  if (found) {
    // The third number handed out is the build field of a.b.c.d, as plug-in
    // release numbers have always been taken from it.
    version.major = numbers[0];
    version.minor = numbers[1];
    version.release = numbers[3];
  }
  dlclose(library);
  return found;
}

PackedVersion ProgramVersion() {
  return MakePackedVersion(2, 5);
}
