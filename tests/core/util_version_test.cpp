#include "util/version.h"

#include "tests/support/TempDir.h"

#include <elf.h>
#include <link.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

TEST(VersionTest, MakePackedVersionPlacesEachByte) {
  const struct {
    unsigned major, minor, release;
    PackedVersion expected;
  } cases[] = {
      {2, 5, 0, 0x02050000u},
      {1, 2, 3, 0x01020300u},
      {255, 255, 255, 0xFFFFFF00u},
      {0, 0, 0, 0u},
      {0x102, 0x205, 0x1FF, 0x0205FF00u}, // only the low 8 bits of each count
  };
  for (const auto& c : cases)
    EXPECT_EQ(MakePackedVersion(c.major, c.minor, c.release), c.expected)
        << c.major << "." << c.minor << "." << c.release;
}

TEST(VersionTest, VersionToTextShowsReleaseOnlyWhenNotZero) {
  const struct {
    PackedVersion version;
    std::string expected;
  } cases[] = {
      {0x02050000u, "2.5"},         {0x01020300u, "1.2.3"}, {0x00000000u, "0.0"},
      {0xFFFFFF00u, "255.255.255"}, {0x0A0B0000u, "10.11"}, {0x020500FFu, "2.5"},
      {0x00000100u, "0.0.1"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(VersionToText(c.version), c.expected) << std::hex << c.version;
}

TEST(VersionTest, ProgramVersionIsTwoPointFive) {
  EXPECT_EQ(ProgramVersion(), 0x02050000u);
  EXPECT_EQ(VersionToText(ProgramVersion()), "2.5");
}

TEST(VersionTest, ReadFileVersionTakesMajorMinorAndBuild) {
  FileVersion version;
  ASSERT_TRUE(ReadFileVersion(VERSIONED_PLUGIN, version));
  // The library carries 1.2.0.3: the third output is the fourth field.
  EXPECT_EQ(version.major, 1);
  EXPECT_EQ(version.minor, 2);
  EXPECT_EQ(version.release, 3);
}

TEST(VersionTest, ReadFileVersionFailsWithoutTouchingTheOutput) {
  TempDir dir;
  dir.write("notalib.so", "this is not a shared library\n");
  dir.write("empty.so", "");
  const std::string paths[] = {
      UNVERSIONED_PLUGIN,   dir.file("missing.so"), dir.file("notalib.so"),
      dir.file("empty.so"), dir.path().string(),    "",
  };
  for (const auto& path : paths) {
    FileVersion version;
    version.major = 7;
    version.minor = 8;
    version.release = 9;
    EXPECT_FALSE(ReadFileVersion(path, version)) << path;
    EXPECT_EQ(version.major, 7);
    EXPECT_EQ(version.minor, 8);
    EXPECT_EQ(version.release, 9);
  }
}

// The version is read from the file's own tables: a library cut short or with
// its ELF header or section headers damaged must be read within the file (the
// sanitized build checks) and never crash.
TEST(VersionTest, ReadFileVersionSurvivesDamagedLibraries) {
  std::ifstream in(VERSIONED_PLUGIN, std::ios::binary);
  const std::string library{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  ElfW(Ehdr) header{};
  ASSERT_GT(library.size(), sizeof header);
  std::memcpy(&header, library.data(), sizeof header);
  const std::size_t sectionsEnd = header.e_shoff + std::size_t{header.e_shnum} * header.e_shentsize;
  ASSERT_LE(sectionsEnd, library.size());

  TempDir dir;
  const std::string path = dir.file("damaged.so");
  FileVersion version;
  for (std::size_t size = 0; size < library.size(); size += 127) {
    dir.write("damaged.so", library.substr(0, size));
    ReadFileVersion(path, version);
  }
  // Every byte of the ELF header; in each section header the lowest and the
  // highest byte of what locates a table: type, address, offset, size, link.
  std::vector<std::size_t> damaged;
  for (std::size_t at = 0; at < sizeof header; ++at)
    damaged.push_back(at);
  using Section = ElfW(Shdr);
  const std::size_t fields[] = {offsetof(Section, sh_type),
                                offsetof(Section, sh_addr),
                                offsetof(Section, sh_addr) + sizeof(Section::sh_addr) - 1,
                                offsetof(Section, sh_offset),
                                offsetof(Section, sh_offset) + sizeof(Section::sh_offset) - 1,
                                offsetof(Section, sh_size),
                                offsetof(Section, sh_size) + sizeof(Section::sh_size) - 1,
                                offsetof(Section, sh_link)};
  for (std::size_t section = header.e_shoff; section < sectionsEnd; section += sizeof(Section))
    for (const std::size_t field : fields)
      damaged.push_back(section + field);
  for (const std::size_t at : damaged)
    for (const char value : {'\xFF', '\x7F', '\0'}) {
      std::string copy = library;
      copy[at] = value;
      dir.write("damaged.so", copy);
      ReadFileVersion(path, version);
    }
  dir.write("damaged.so", library);
  ASSERT_TRUE(ReadFileVersion(path, version));
  EXPECT_EQ(version.minor, 2);
}

} // namespace
