#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "cli/StartupChecks.h"
#include "tests/support/TempDir.h"
#include "util/file_io.h"

namespace {

TEST(ProgramFolderProblem, AFolderIsFineAnythingElseIsNamed) {
  TempDir dir;
  dir.write("file", "x");
  EXPECT_EQ(ProgramFolderProblem(dir.path().string()), std::nullopt);
  EXPECT_EQ(ProgramFolderProblem(dir.file("missing")),
            "the program folder " + dir.file("missing") + " does not exist");
  EXPECT_EQ(ProgramFolderProblem(dir.file("file")),
            "the program folder " + dir.file("file") + " is not a folder");
}

TEST(SettingsFileProblem, AReadableFileIsFineAFolderIsNot) {
  TempDir dir;
  dir.write("skarvel.ini", "\n");
  EXPECT_EQ(SettingsFileProblem(dir.file("skarvel.ini")), std::nullopt);
  std::filesystem::create_directory(dir.path() / "folder.ini");
  EXPECT_EQ(SettingsFileProblem(dir.file("folder.ini")),
            "cannot read the settings file " + dir.file("folder.ini") + ": Is a directory");
}

TEST(SettingsFileProblem, AFileWithoutReadPermissionIsNamed) {
  if (geteuid() == 0)
    GTEST_SKIP() << "root reads every file";
  TempDir dir;
  dir.write("skarvel.ini", "\n");
  std::filesystem::permissions(dir.path() / "skarvel.ini", std::filesystem::perms::owner_write);
  EXPECT_EQ(SettingsFileProblem(dir.file("skarvel.ini")),
            "cannot read the settings file " + dir.file("skarvel.ini") + ": Permission denied");
}

// Never opened for long: a pipe would wait for its writer, /dev/zero would
// be read until memory runs out, and either would leave the default list.
TEST(SettingsFileProblem, WhatCannotBeReadWholeIsNamed) {
  TempDir dir;
  ASSERT_EQ(mkfifo(dir.file("pipe.ini").c_str(), 0600), 0);
  std::filesystem::create_symlink("/dev/zero", dir.path() / "zero.ini");
  std::filesystem::resize_file(dir.write("big.ini", ""), kMaxWholeFileSize + 1);
  const struct {
    std::string name, reason;
  } cases[] = {
      {"pipe.ini", "not a regular file"},
      {"zero.ini", "not a regular file"},
      {"big.ini", "larger than 64 MiB"},
      {"dangling.ini", "No such file or directory"},
  };
  std::filesystem::create_symlink(dir.path() / "gone", dir.path() / "dangling.ini");
  for (const auto& c : cases)
    EXPECT_EQ(SettingsFileProblem(dir.file(c.name)),
              "cannot read the settings file " + dir.file(c.name) + ": " + c.reason);
  EXPECT_EQ(SettingsFileProblem(dir.file("missing.ini")), std::nullopt); // made at start
}

} // namespace
