#include "util/version.h"

#include <cstring>
#include <optional>

#include "util/elf_symbol.h"

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
  // From the file, not by loading it: loading runs the library's constructors.
  const std::optional<std::string> bytes = ReadExportedData(path, "FileVersion", 4096);
  if (!bytes || bytes->size() < 4 * sizeof(uint16_t))
    return false;
  uint16_t numbers[4];
  std::memcpy(numbers, bytes->data(), sizeof numbers);
  // The third number handed out is the build field of a.b.c.d, as plug-in
  // release numbers have always been taken from it.
  version.major = numbers[0];
  version.minor = numbers[1];
  version.release = numbers[3];
  return true;
}

PackedVersion ProgramVersion() {
  return MakePackedVersion(2, 5);
}
