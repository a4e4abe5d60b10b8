// Starts the real program in a scratch program folder, on the offscreen platform.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

#include "config/IniFile.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/FakeServerProcess.h"
#include "tests/support/TempDir.h"
#include "tests/support/UdpTestClient.h"

namespace {

// Loopback only: the default address list would broadcast to the local network.
const char* const kLoopbackIni = "[Network]\nCheckUpdates=0\nStats=1\n"
                                 "[Address]\n127.0.0.1:7778,ut=1\n";

class StartupE2eTest : public ::testing::Test {
protected:
  void SetUp() override { home_.write("skarvel.ini", kLoopbackIni); }

  // Starts with SKARVEL_HOME spelled as given (by default the scratch
  // folder), in `startFolder` (by default the scratch folder).
  std::unique_ptr<ChildProcess> Launch(const std::vector<std::string>& arguments = {},
                                       std::string home = {}, std::string startFolder = {}) {
    if (home.empty())
      home = home_.path().string();
    if (startFolder.empty())
      startFolder = home_.path().string();
    return std::make_unique<ChildProcess>(
        ChildCommand{.program = SKARVEL_BIN,
                     .args = arguments,
                     .environment = {"SKARVEL_HOME=" + home, "QT_QPA_PLATFORM=offscreen"},
                     .workingFolder = startFolder});
  }

  // Waits for a file the program writes, with a bounded deadline, looking
  // every few milliseconds.
  static bool Eventually(const std::function<bool()>& condition, int timeoutMs = 10000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
      if (std::chrono::steady_clock::now() >= deadline)
        return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
  }

  TempDir home_;
};

TEST_F(StartupE2eTest, SecondStartExitsAndTerminationSavesTheLayout) {
  const auto first = Launch();
  ASSERT_TRUE(Eventually([this] {
    return TIniFile(home_.file("skarvel.ini")).ReadString("Common", "Version", "") == "2.5";
  }));

  const auto second = Launch();
  EXPECT_EQ(second->Wait(2000), 0) << second->Errors();
  EXPECT_TRUE(first->Running());

  EXPECT_EQ(first->Stop(SIGTERM), 0) << first->Errors();

  const TIniFile ini(home_.file("skarvel.ini"));
  EXPECT_EQ(ini.ReadSection("Window").size(), 12u);
  EXPECT_EQ(ini.ReadInteger("Window", "Width", 0), 435);
  // A file without a version had its Unreal port corrected once, at start.
  EXPECT_EQ(ini.ReadSection("Address"), std::vector<std::string>{"127.0.0.1,ut"});
  const std::string log = home_.read("stats.txt");
  EXPECT_NE(log.find(" Program started\n"), std::string::npos) << log;
  EXPECT_NE(log.find(" Program terminated\n"), std::string::npos) << log;
}

TEST_F(StartupE2eTest, ARelativeOrSymlinkedHomeIsTheSameProgramFolder) {
  TempDir base;
  base.write("home/skarvel.ini", kLoopbackIni);
  // Where the settings would be looked for from inside the folder.
  base.write("home/home/skarvel.ini", kLoopbackIni);
  std::filesystem::create_directory_symlink(base.path() / "home", base.path() / "link");

  const auto first = Launch({}, "home", base.path().string());
  ASSERT_TRUE(Eventually([&base] {
    return TIniFile(base.file("home/skarvel.ini")).ReadString("Common", "Version", "") == "2.5";
  }));
  EXPECT_EQ(TIniFile(base.file("home/home/skarvel.ini")).ReadString("Common", "Version", ""), "");

  const auto second = Launch({}, base.file("link") + "/");
  EXPECT_EQ(second->Wait(5000), 0) << second->Errors();
  EXPECT_TRUE(first->Running());
}

TEST_F(StartupE2eTest, InterruptAlsoTakesTheEndOfSessionPath) {
  const auto first = Launch();
  ASSERT_TRUE(
      Eventually([this] { return home_.read("stats.txt").find("started") != std::string::npos; }));
  EXPECT_EQ(first->Stop(SIGINT), 0) << first->Errors();
  EXPECT_EQ(TIniFile(home_.file("skarvel.ini")).ReadSection("Window").size(), 12u);
}

// Run from the build tree, the shipped languages beside the program serve,
// as an installed copy's do: none is made in the program folder.
TEST_F(StartupE2eTest, TheLanguagesBesideTheProgramAreFound) {
  home_.write("skarvel.ini", std::string(kLoopbackIni) + "[Appearance]\nLanguage=Deutsch.lng\n");
  const auto window = Launch();
  ASSERT_TRUE(Eventually([this] {
    return TIniFile(home_.file("skarvel.ini")).ReadString("Common", "Version", "") == "2.5";
  }));
  EXPECT_EQ(window->Stop(SIGTERM), 0) << window->Errors();
  EXPECT_FALSE(home_.exists("Deutsch.lng"));
  EXPECT_FALSE(home_.exists("English.lng"));
}

// A settings file that is a pipe neither stalls the start nor is taken for
// empty settings (whose default list broadcasts): the window says why.
TEST_F(StartupE2eTest, ASettingsFileThatIsAPipeIsReported) {
  std::filesystem::remove(home_.path() / "skarvel.ini");
  ASSERT_EQ(mkfifo(home_.file("skarvel.ini").c_str(), 0600), 0);
  const auto window = Launch({"-debug"});
  const std::string message = " Message: cannot read the settings file " +
                              home_.file("skarvel.ini") + ": not a regular file";
  ASSERT_TRUE(Eventually(
      [&] { return home_.read("skarvel.err").find(message) != std::string::npos; }, 20000))
      << home_.read("skarvel.err");
  EXPECT_EQ(window->Stop(SIGTERM, 20000), 0) << window->Errors();
}

// Whether the process has a file mapped whose name contains `part`.
bool Maps(const ChildProcess& process, const std::string& part) {
  std::ifstream maps("/proc/" + std::to_string(process.Pid()) + "/maps");
  for (std::string line; std::getline(maps, line);)
    if (line.find(part) != std::string::npos)
      return true;
  return false;
}

// Without a place for its settings the window says why and polls nothing; a
// request to end the program still ends it while the message waits.
TEST_F(StartupE2eTest, AnUnusableUserConfigFolderIsReportedNotACrash) {
  const std::string file = home_.write("plain", "");
  ChildProcess skarvel(
      {.program = SKARVEL_BIN,
       .environment = {"SKARVEL_HOME=", "XDG_CONFIG_HOME=" + file, "QT_QPA_PLATFORM=offscreen"}});
  const std::string reason =
      "skarvel: cannot create the program folder " + file + "/skarvel: Not a directory\n";
  ASSERT_TRUE(Eventually([&] { return skarvel.Errors().find(reason) != std::string::npos; }))
      << skarvel.Errors();
  EXPECT_TRUE(skarvel.Running()); // the message waits for the user
  skarvel.Stop(SIGTERM);
  EXPECT_FALSE(skarvel.Running());
  EXPECT_TRUE(std::filesystem::is_regular_file(file));
}

TEST_F(StartupE2eTest, TheAudioStackLoadsWithTheFirstSoundNotAtStart) {
  const int port = FreeUdpPorts("127.0.0.1", 1);
  home_.write("skarvel.ini", "[Network]\nCheckUpdates=0\nStats=1\nInterval=1000\n"
                             "[Appearance]\nPopupMessages=0\n[Address]\n127.0.0.1:" +
                                 std::to_string(port) + ",q3=1\n");
  std::filesystem::copy_file(std::filesystem::path(SKARVEL_BIN).parent_path() / "users.wav",
                             home_.path() / "users.wav");
  const auto window = Launch();
  ASSERT_TRUE(
      Eventually([this] { return home_.read("stats.txt").find("started") != std::string::npos; }));
  EXPECT_FALSE(Maps(*window, "libskarvel_sound"));
  EXPECT_FALSE(Maps(*window, "libQt6Multimedia"));

  // A server with players: its first players play the online sound.
  FakeServerProcess server({"--game", "q3", "--port", std::to_string(port), "--players", "2"});
  ASSERT_EQ(server.WaitForReadyLines(1).size(), 1u) << server.Errors();
  EXPECT_TRUE(Eventually([&] { return Maps(*window, "libskarvel_sound"); }, 20000))
      << window->Errors();
  EXPECT_TRUE(window->Running());
}

// A start-up problem shown in a message box that nobody answers, as in a
// headless run: a signal must still end the program, at any time.
struct StartupProblem {
  const char* name;
  bool missingFolder; // else the settings file is a folder, so it cannot be read
  int signal;
};

void PrintTo(const StartupProblem& problem, std::ostream* out) {
  *out << problem.name;
}

class StartupMessageE2eTest : public StartupE2eTest,
                              public ::testing::WithParamInterface<StartupProblem> {};

TEST_P(StartupMessageE2eTest, ASignalEndsTheProgramWhileTheMessageWaits) {
  std::string home = home_.file("missing");
  if (!GetParam().missingFolder) {
    home = home_.file("home");
    std::filesystem::create_directories(home_.path() / "home" / "skarvel.ini");
  }
  const auto first = Launch({"-debug"}, home);
  // The trace lands in the program folder, or in the current folder when
  // there is none; it names the message that waits.
  const std::string trace = GetParam().missingFolder ? "skarvel.err" : "home/skarvel.err";
  ASSERT_TRUE(
      Eventually([&] { return home_.read(trace).find(" Message: ") != std::string::npos; }, 20000));

  EXPECT_EQ(first->Stop(GetParam().signal, 20000), 0)
      << "the signal was lost, or the program failed: " << first->Errors();
}

INSTANTIATE_TEST_SUITE_P(Problems, StartupMessageE2eTest,
                         ::testing::Values(StartupProblem{"MissingFolderTerm", true, SIGTERM},
                                           StartupProblem{"MissingFolderInterrupt", true, SIGINT},
                                           StartupProblem{"UnreadableSettingsTerm", false, SIGTERM},
                                           StartupProblem{"UnreadableSettingsInterrupt", false,
                                                          SIGINT}),
                         [](const auto& test) { return std::string(test.param.name); });

} // namespace
