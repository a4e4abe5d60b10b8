#pragma once

#include <cstdint>
#include <string>

// Major in bits 24..31, minor in 16..23, release in 8..15, bits 0..7 zero.
using PackedVersion = uint32_t;

PackedVersion MakePackedVersion(unsigned major, unsigned minor, unsigned release = 0);
// "major.minor", plus ".release" when the release byte is not zero.
std::string VersionToText(PackedVersion version);

struct FileVersion {
  uint16_t major = 0;
  uint16_t minor = 0;
  uint16_t release = 0; // the fourth field of a.b.c.d
};

// Reads the exported data symbol "FileVersion" (four 16-bit numbers: major,
// minor, release, build) of a shared library from its symbol table, without
// loading it. False, outputs untouched, when the file is no library of this
// machine or has no such symbol of at least 8 bytes.
bool ReadFileVersion(const std::string& path, FileVersion& version);

// The program's own version, 2.5.0.0.
PackedVersion ProgramVersion();
