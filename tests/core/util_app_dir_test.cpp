#include "util/app_dir.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <unistd.h>

namespace {

// Sets or clears SKARVEL_HOME for one test, forgets the computed folder, and
// puts both back afterwards, with the current folder.
class AppDirTest : public ::testing::Test {
protected:
  void SetUp() override {
    if (const char* home = std::getenv("SKARVEL_HOME"))
      savedHome_ = home;
    savedFolder_ = ProgramFolder();
    savedCurrent_ = std::filesystem::current_path();
  }
  void TearDown() override {
    std::filesystem::current_path(savedCurrent_);
    if (savedHome_)
      setenv("SKARVEL_HOME", savedHome_->c_str(), 1);
    else
      unsetenv("SKARVEL_HOME");
    SetProgramFolder(savedFolder_);
  }
  static void UseHome(const char* home) {
    if (home)
      setenv("SKARVEL_HOME", home, 1);
    else
      unsetenv("SKARVEL_HOME");
    SetProgramFolder(""); // compute again on the next call
  }

private:
  std::optional<std::string> savedHome_;
  std::string savedFolder_;
  std::filesystem::path savedCurrent_;
};

std::string ExecutableFolder() {
  const std::string exe = ExecutablePath();
  return exe.substr(0, exe.rfind('/'));
}

TEST_F(AppDirTest, ExecutablePathIsThisTestProgram) {
  const std::string exe = ExecutablePath();
  ASSERT_FALSE(exe.empty());
  EXPECT_EQ(exe.front(), '/');
  EXPECT_EQ(exe.substr(exe.rfind('/') + 1), "skarvel_core_tests");
  EXPECT_EQ(access(exe.c_str(), X_OK), 0);
}

TEST_F(AppDirTest, ProgramFolderComesFromSkarvelHomeWithoutTrailingSlash) {
  const struct {
    const char* home;
    std::string expected;
  } cases[] = {
      {"/srv/skarvel", "/srv/skarvel"},
      {"/srv/skarvel/", "/srv/skarvel"},
      {"/srv/skarvel///", "/srv/skarvel"},
      {"/", "/"},
      {"///", "/"},
  };
  for (const auto& c : cases) {
    UseHome(c.home);
    EXPECT_EQ(ProgramFolder(), c.expected) << c.home;
  }
}

// Start-up changes into the program folder and then opens the settings file
// in it: the folder must still name the same place from there.
TEST_F(AppDirTest, ARelativeSkarvelHomeIsTakenFromTheStartingFolder) {
  TempDir start;
  start.write("home/skarvel.ini", "[Common]\n");
  std::filesystem::create_directory(start.path() / "sub");
  const std::string base = std::filesystem::canonical(start.path()).string();
  const struct {
    std::string home;
    std::string expected;
  } cases[] = {
      {"home", base + "/home"},
      {"home//", base + "/home"},
      {"./home/", base + "/./home"},
      {"sub/../home", base + "/sub/../home"},
      {"../" + start.path().filename().string() + "/home",
       base + "/../" + start.path().filename().string() + "/home"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.home);
    std::filesystem::current_path(start.path());
    UseHome(c.home.c_str());
    EXPECT_EQ(ProgramFolder(), c.expected);
    ASSERT_EQ(chdir(ProgramFolder().c_str()), 0);
    EXPECT_EQ(access(InAppDir("skarvel.ini").c_str(), R_OK), 0);
  }
}

TEST_F(AppDirTest, AMissingRelativeSkarvelHomeIsNamedAbsolute) {
  TempDir start;
  std::filesystem::current_path(start.path());
  UseHome("missing/");
  EXPECT_EQ(ProgramFolder(), std::filesystem::canonical(start.path()).string() + "/missing");
}

TEST_F(AppDirTest, ProgramFolderFallsBackToTheExecutableFolder) {
  UseHome(nullptr);
  EXPECT_EQ(ProgramFolder(), ExecutableFolder());
  UseHome("");
  EXPECT_EQ(ProgramFolder(), ExecutableFolder());
}

TEST_F(AppDirTest, ProgramFolderIsComputedOnceUntilOverridden) {
  UseHome("/first");
  EXPECT_EQ(ProgramFolder(), "/first");
  setenv("SKARVEL_HOME", "/second", 1);
  EXPECT_EQ(ProgramFolder(), "/first");
  SetProgramFolder("/third/");
  EXPECT_EQ(ProgramFolder(), "/third");
}

TEST_F(AppDirTest, InAppDirPlacesBareNamesInTheProgramFolder) {
  const struct {
    std::string folder, name, expected;
  } cases[] = {
      {"/srv/skarvel", "x.wav", "/srv/skarvel/x.wav"},
      {"/srv/skarvel/", "x.wav", "/srv/skarvel/x.wav"},
      {"/srv/skarvel", "", "/srv/skarvel/"},
      {"/", "x.wav", "/x.wav"},
      {"/", "", "/"},
      {"/srv/skarvel", "/usr/share/sounds/x.wav", "/usr/share/sounds/x.wav"},
      {"/srv/skarvel", "sub/x.wav", "sub/x.wav"},
      {"/srv/skarvel", "x.wav/", "x.wav/"},
      {"/srv/skarvel", "C:\\x.wav", "/srv/skarvel/C:\\x.wav"}, // a backslash is no separator
      {"/srv/skarvel", "my sound.wav", "/srv/skarvel/my sound.wav"},
  };
  for (const auto& c : cases) {
    SetProgramFolder(c.folder);
    EXPECT_EQ(InAppDir(c.name), c.expected) << c.folder << " + " << c.name;
  }
}

TEST_F(AppDirTest, InAppDirFindsAFileInSkarvelHome) {
  TempDir home;
  home.write("skarvel.ini", "[Common]\n");
  UseHome((home.path().string() + "/").c_str());
  EXPECT_EQ(InAppDir("skarvel.ini"), home.file("skarvel.ini"));
  EXPECT_EQ(access(InAppDir("skarvel.ini").c_str(), R_OK), 0);
}

} // namespace
