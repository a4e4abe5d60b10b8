#include "util/app_dir.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <pwd.h>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

// Sets or clears SKARVEL_HOME, XDG_CONFIG_HOME and HOME for one test, forgets
// the computed folder, and puts all back afterwards, with the current folder.
class AppDirTest : public ::testing::Test {
protected:
  void SetUp() override {
    for (const char* name : kVariables)
      if (const char* value = std::getenv(name))
        saved_.emplace_back(name, value);
    savedFolder_ = ProgramFolder();
    savedCurrent_ = std::filesystem::current_path();
  }
  void TearDown() override {
    std::filesystem::current_path(savedCurrent_);
    for (const char* name : kVariables)
      unsetenv(name);
    for (const auto& [name, value] : saved_)
      setenv(name.c_str(), value.c_str(), 1);
    SetProgramFolder(savedFolder_);
  }
  static void Use(const char* name, const char* value) {
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
    SetProgramFolder(""); // compute again on the next call
  }
  static void UseHome(const char* home) { Use("SKARVEL_HOME", home); }

private:
  static constexpr const char* kVariables[] = {"SKARVEL_HOME", "XDG_CONFIG_HOME", "HOME"};
  std::vector<std::pair<std::string, std::string>> saved_;
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

// Which folder wins, for an executable in a portable copy (with a
// skarvel.ini beside it) or in an installed one (without).
TEST_F(AppDirTest, TheProgramFolderRule) {
  TempDir root;
  const std::string base = root.path().string();
  root.write("portable/skarvel.ini", "");
  root.write("installed/bin/skarvel", "");
  root.write("notafile/skarvel.ini/x", ""); // a folder named skarvel.ini
  const struct {
    const char* what;
    const char* executable;
    const char* skarvelHome;
    const char* xdgConfigHome;
    const char* home;
    std::string expected;
  } cases[] = {
      {"SKARVEL_HOME beats a portable copy", "portable/skarvel", "/srv/s/", "/x", "/h", "/srv/s"},
      {"an empty SKARVEL_HOME is unset", "portable/skarvel", "", "/x", "/h", base + "/portable"},
      {"a portable copy", "portable/skarvel", nullptr, "/x", "/h", base + "/portable"},
      {"installed: XDG_CONFIG_HOME", "installed/bin/skarvel", nullptr, "/x/", "/h", "/x/skarvel"},
      {"installed: XDG_CONFIG_HOME unset", "installed/bin/skarvel", nullptr, nullptr, "/h/",
       "/h/.config/skarvel"},
      {"installed: XDG_CONFIG_HOME empty", "installed/bin/skarvel", nullptr, "", "/h",
       "/h/.config/skarvel"},
      {"installed: a relative XDG_CONFIG_HOME is ignored", "installed/bin/skarvel", nullptr, "rel",
       "/h", "/h/.config/skarvel"},
      {"a folder named skarvel.ini makes no portable copy", "notafile/skarvel", nullptr, "/x", "/h",
       "/x/skarvel"},
      {"no executable path", "", nullptr, "/x", "/h", "/x/skarvel"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Use("SKARVEL_HOME", c.skarvelHome);
    Use("XDG_CONFIG_HOME", c.xdgConfigHome);
    Use("HOME", c.home);
    const std::string executable = *c.executable ? base + "/" + c.executable : "";
    EXPECT_EQ(ProgramFolderFor(executable), c.expected);
  }
}

// Without HOME the password database tells where the user's home is.
TEST_F(AppDirTest, WithoutHomeThePasswordEntryGivesIt) {
  UseHome(nullptr);
  Use("XDG_CONFIG_HOME", nullptr);
  Use("HOME", nullptr);
  const passwd* entry = getpwuid(getuid());
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(ProgramFolderFor("/nowhere/skarvel"),
            std::string(entry->pw_dir) + (std::string(entry->pw_dir) == "/" ? "" : "/") +
                ".config/skarvel");
}

TEST_F(AppDirTest, ThePerUserFolderIsCreatedOnTheFirstStart) {
  TempDir config;
  UseHome(nullptr);
  Use("XDG_CONFIG_HOME", (config.path() / "deep/config").c_str());
  ASSERT_FALSE(std::filesystem::exists(ExecutableFolder() + "/skarvel.ini"));
  const std::string expected = (config.path() / "deep/config/skarvel").string();
  EXPECT_EQ(ProgramFolder(), expected);
  EXPECT_FALSE(std::filesystem::exists(expected)); // finding it makes nothing

  EXPECT_EQ(CreateProgramFolder(), std::nullopt);
  const auto made = std::filesystem::status(expected);
  EXPECT_TRUE(std::filesystem::is_directory(made));
  EXPECT_EQ(made.permissions(), std::filesystem::perms::owner_all); // private to the user
  EXPECT_EQ(CreateProgramFolder(), std::nullopt);                   // the second start finds it
}

// Even root cannot make a folder under a file: the reason names the folder.
TEST_F(AppDirTest, AnUnusablePerUserFolderIsReportedNotUsed) {
  TempDir config;
  const std::string file = config.write("plain", "");
  UseHome(nullptr);
  const struct {
    std::string xdg, reason;
  } cases[] = {
      {file, "Not a directory"},
      {config.path().string(), "Not a directory"}, // skarvel is a file there
  };
  config.write("skarvel", "");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.xdg);
    Use("XDG_CONFIG_HOME", c.xdg.c_str());
    const std::optional<std::string> problem = CreateProgramFolder();
    ASSERT_TRUE(problem);
    EXPECT_EQ(*problem, "cannot create the program folder " + c.xdg + "/skarvel: " + c.reason);
  }
}

// A folder the user named is never made: a typing error would otherwise
// start a new, empty set of settings.
TEST_F(AppDirTest, OnlyThePerUserFolderIsCreated) {
  TempDir root;
  UseHome(root.file("missing").c_str());
  EXPECT_EQ(CreateProgramFolder(), std::nullopt);
  EXPECT_FALSE(root.exists("missing"));
  SetProgramFolder(root.file("also-missing"));
  EXPECT_EQ(CreateProgramFolder(), std::nullopt);
  EXPECT_FALSE(root.exists("also-missing"));
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
