#include "util/version.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

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

} // namespace
