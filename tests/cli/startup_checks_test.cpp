#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "cli/StartupChecks.h"
#include "tests/support/TempDir.h"

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

} // namespace
