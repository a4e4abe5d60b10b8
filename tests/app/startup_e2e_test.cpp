// Starts the real program in a scratch program folder, on the offscreen platform.
#include <QDeadlineTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <functional>
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

  void Launch(QProcess& process) { Launch(process, home_.path().string(), {}); }
  // With SKARVEL_HOME spelled as given, started in `startFolder` when given.
  void Launch(QProcess& process, const std::string& home, const std::string& startFolder) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("SKARVEL_HOME", QString::fromStdString(home));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    process.setProcessEnvironment(env);
    if (!startFolder.empty())
      process.setWorkingDirectory(QString::fromStdString(startFolder));
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QStringLiteral(SKARVEL_BIN), {});
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

  Launch(first_, "home", base.path().string());
  ASSERT_TRUE(Eventually([&base] {
    return TIniFile(base.file("home/skarvel.ini")).ReadString("Common", "Version", "") == "2.5";
  }));
  EXPECT_EQ(TIniFile(base.file("home/home/skarvel.ini")).ReadString("Common", "Version", ""), "");

  Launch(second_, base.file("link") + "/", {});
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

} // namespace
