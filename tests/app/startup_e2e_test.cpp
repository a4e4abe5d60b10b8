// Starts the real program in a scratch program folder, on the offscreen platform.
#include <QDeadlineTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "config/IniFile.h"
#include "tests/support/TempDir.h"

namespace {

// Loopback only: the default address list would broadcast to the local network.
const char* const kLoopbackIni = "[Network]\nCheckUpdates=0\nStats=1\n"
                                 "[Address]\n127.0.0.1:7778,ut=1\n";

class StartupE2eTest : public ::testing::Test {
protected:
  void SetUp() override { home_.write("skarvel.ini", kLoopbackIni); }
  void TearDown() override {
    for (QProcess* process : {&first_, &second_})
      if (process->state() != QProcess::NotRunning) {
        process->kill();
        process->waitForFinished(5000);
      }
  }

  // Starts with SKARVEL_HOME spelled as given (by default the scratch
  // folder), in `startFolder` (by default the scratch folder).
  void Launch(QProcess& process, const QStringList& arguments = {}, std::string home = {},
              std::string startFolder = {}) {
    if (home.empty())
      home = home_.path().string();
    if (startFolder.empty())
      startFolder = home_.path().string();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("SKARVEL_HOME", QString::fromStdString(home));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setWorkingDirectory(QString::fromStdString(startFolder));
    process.start(QStringLiteral(SKARVEL_BIN), arguments);
    ASSERT_TRUE(process.waitForStarted(5000));
  }

  // Waits for a condition with a bounded deadline, checking every few milliseconds.
  static bool Eventually(const std::function<bool()>& condition, int timeoutMs = 10000) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
      if (deadline.hasExpired())
        return false;
      QThread::msleep(20);
    }
    return true;
  }

  TempDir home_;
  QProcess first_;
  QProcess second_;
};

TEST_F(StartupE2eTest, SecondStartExitsAndTerminationSavesTheLayout) {
  Launch(first_);
  ASSERT_TRUE(Eventually([this] {
    return TIniFile(home_.file("skarvel.ini")).ReadString("Common", "Version", "") == "2.5";
  }));

  Launch(second_);
  ASSERT_TRUE(second_.waitForFinished(2000));
  EXPECT_EQ(second_.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second_.exitCode(), 0);
  EXPECT_EQ(first_.state(), QProcess::Running);

  ::kill(static_cast<pid_t>(first_.processId()), SIGTERM);
  ASSERT_TRUE(first_.waitForFinished(5000));
  EXPECT_EQ(first_.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(first_.exitCode(), 0);

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

  Launch(first_, {}, "home", base.path().string());
  ASSERT_TRUE(Eventually([&base] {
    return TIniFile(base.file("home/skarvel.ini")).ReadString("Common", "Version", "") == "2.5";
  }));
  EXPECT_EQ(TIniFile(base.file("home/home/skarvel.ini")).ReadString("Common", "Version", ""), "");

  Launch(second_, {}, base.file("link") + "/");
  ASSERT_TRUE(second_.waitForFinished(5000));
  EXPECT_EQ(second_.exitCode(), 0);
  EXPECT_EQ(first_.state(), QProcess::Running);
}

TEST_F(StartupE2eTest, InterruptAlsoTakesTheEndOfSessionPath) {
  Launch(first_);
  ASSERT_TRUE(
      Eventually([this] { return home_.read("stats.txt").find("started") != std::string::npos; }));
  ::kill(static_cast<pid_t>(first_.processId()), SIGINT);
  ASSERT_TRUE(first_.waitForFinished(5000));
  EXPECT_EQ(first_.exitCode(), 0);
  EXPECT_EQ(TIniFile(home_.file("skarvel.ini")).ReadSection("Window").size(), 12u);
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
  Launch(first_, {QStringLiteral("-debug")}, home);
  // The trace lands in the program folder, or in the current folder when
  // there is none; it names the message that waits.
  const std::string trace = GetParam().missingFolder ? "skarvel.err" : "home/skarvel.err";
  ASSERT_TRUE(
      Eventually([&] { return home_.read(trace).find(" Message: ") != std::string::npos; }, 20000));

  ::kill(static_cast<pid_t>(first_.processId()), GetParam().signal);
  ASSERT_TRUE(first_.waitForFinished(20000)) << "the signal was lost";
  EXPECT_EQ(first_.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(first_.exitCode(), 0);
}

INSTANTIATE_TEST_SUITE_P(Problems, StartupMessageE2eTest,
                         ::testing::Values(StartupProblem{"MissingFolderTerm", true, SIGTERM},
                                           StartupProblem{"MissingFolderInterrupt", true, SIGINT},
                                           StartupProblem{"UnreadableSettingsTerm", false, SIGTERM},
                                           StartupProblem{"UnreadableSettingsInterrupt", false,
                                                          SIGINT}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
