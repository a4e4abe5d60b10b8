// The window and the console front end start from one settings file alike.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QDialog>

#include "app/Unit1.h"
#include "cli/ConsoleStartup.h"
#include "tests/app/FrmMainFixture.h"
#include "tests/dialogs/ModalScript.h"
#include "tests/support/FakePollPorts.h"

namespace {

using Lines = std::vector<std::string>;

// Everything start-up loads into a monitor, as the settings file would store
// it, and what the engine made of the timer settings.
Lines Loaded(TMonitor& monitor) {
  Lines lines;
  for (int32_t i = 0; i < monitor.Games.Count(); ++i) {
    const TGame& game = monitor.Games.Items(i);
    lines.push_back("game " + game.Defs.Key + "=" + game.GameValue() + " " + game.GameCfgValue());
  }
  for (int32_t i = 0; i < monitor.Addresses.Count(); ++i) {
    const TAddress& address = monitor.Addresses.Items(i);
    lines.push_back("address " + address.IniKey() + "=" + address.StoredValue());
  }
  for (int32_t i = 0; i < monitor.KnownServers.Count(); ++i) {
    const TServer& server = monitor.KnownServers.Items(i);
    lines.push_back("known " + server.IniKey() + "=" + server.StoredValue());
  }
  lines.push_back("steps " + std::to_string(monitor.Engine.ProgressMaximum()) +
                  (monitor.Engine.ManualOnly() ? " manual" : " timed"));
  return lines;
}

// A versionless file, so that the one-time port correction runs too; every
// address on loopback, since the window polls for real.
const std::string kSettings = "[Network]\nCheckUpdates=0\nInterval=0\nMaxWaitAnswer=300\n"
                              "[Game]\nq3=\"/opt/quake 3/q3\" +connect %1\n"
                              "[GameCfg]\nq3=,q3.wav,q3.log\n"
                              "[Address]\n"
                              "127.0.0.1:7778,ut=1,\"Local UT\"\n"
                              "127.0.0.2,q3=0\n"
                              "127.255.255.255,css=1,,,arena.wav\n"
                              "[Description]\n"
                              "127.0.0.1:7778,ut=Desk,,,,2,1,0,1\n"
                              "127.0.0.3:27961,q3=Other,,,,0,0,1,0\n";

TEST_F(FrmMainTest, WindowAndConsoleStartWithTheSameLists) {
  home_.write("skarvel.ini", kSettings);
  MakeDataModule();
  window_ = std::make_unique<TfrmMain>(*dm_);
  const Lines window = Loaded(window_->Monitor());
  Stop();

  home_.write("skarvel.ini", kSettings);
  PollEvents events;
  FakePollPorts ports;
  TMonitor console(events.Roles(), ports);
  Lines problems;
  StartConsoleMonitor(console, [&](const std::string& line) { problems.push_back(line); });
  EXPECT_TRUE(problems.empty());

  EXPECT_EQ(Loaded(console), window);
  // Not empty lists that happen to agree.
  EXPECT_EQ(console.Addresses.Count(), 3);
  EXPECT_EQ(console.KnownServers.Count(), 2);
  EXPECT_EQ(window.back(), "steps 4 manual");
}

// The window under construction, found as the script's action sees it.
TfrmMain* WindowBeingMade() {
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (auto* window = qobject_cast<TfrmMain*>(widget))
      return window;
  return nullptr;
}

TEST_F(FrmMainTest, TheFirstCycleRunsWhileTheStartUpMessagesWait) {
  // Two plug-ins whose Init fails, each reported in a box of its own.
  for (const char* name : {"first.so", "second.so"})
    std::filesystem::copy_file(INIT_FAILS_PLUGIN, home_.path() / name);
  std::vector<bool> polling;
  std::vector<int32_t> addresses;
  const auto answer = [&](QWidget& box) {
    if (TfrmMain* window = WindowBeingMade()) {
      polling.push_back(window->Monitor().Engine.Polling());
      addresses.push_back(window->Monitor().Addresses.Count());
    }
    if (auto* dialog = qobject_cast<QDialog*>(&box))
      dialog->accept();
  };
  TModalScript script;
  script.Then(answer).Then(answer);
  Start(kShown);
  ASSERT_EQ(script.MessageTexts().size(), 2);
  EXPECT_TRUE(script.MessageTexts()[0].startsWith("Plugin loading error: "));
  EXPECT_EQ(script.Unanswered(), 0);
  EXPECT_EQ(addresses, (std::vector<int32_t>{1, 1}));
  EXPECT_EQ(polling, (std::vector<bool>{true, true}));
}

} // namespace
