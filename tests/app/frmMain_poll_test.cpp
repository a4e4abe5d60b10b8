// The window polls for real: emulated servers on loopback show up in the
// server view with their players.
#include <QStatusBar>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/PollShell.h"
#include "app/Unit1.h"
#include "app/dm.h"
#include "tests/support/FakeServerProcess.h"
#include "tests/support/ScratchProgramFolder.h"
#include "tests/support/UdpTestClient.h"

namespace {

constexpr int kGamePort = 28951; // apart from the ports of the other loopback tests

class FrmMainPollTest : public ::testing::Test {
protected:
  void SetUp() override {
    emulator_ = std::make_unique<FakeServerProcess>(
        std::vector<std::string>{"--game", "q3", "--port", std::to_string(kGamePort), "--name",
                                 "^1Window^7 Arena", "--map", "q3dm6", "--players", "2"});
    ASSERT_EQ(emulator_->WaitForReadyLines(1).size(), 1u) << emulator_->Errors();
  }
  void TearDown() override {
    window_.reset();
    if (emulator_)
      emulator_->Stop(SIGTERM);
  }

  ScratchProgramFolder home_;
  std::unique_ptr<FakeServerProcess> emulator_;
  std::unique_ptr<Tdm> dm_;
  std::unique_ptr<TfrmMain> window_;
};

TEST_F(FrmMainPollTest, AnsweringServerAppearsWithItsPlayers) {
  home_.write("skarvel.ini", "[Common]\nVersion=2.5\n"
                             "[Network]\nCheckUpdates=0\nInterval=1000\nMaxWaitAnswer=200\n"
                             "[Appearance]\nStartInTray=0\n"
                             "[Address]\n127.0.0.1:" +
                                 std::to_string(kGamePort) + ",q3=1\n");
  dm_ = std::make_unique<Tdm>(0.0);
  window_ = std::make_unique<TfrmMain>(*dm_);
  auto* servers = window_->findChild<QTreeWidget*>("lvServers");
  auto* players = window_->findChild<QTreeWidget*>("lvPlayers");
  // QTRY_* would only return from the test on a timeout; gtest must see it fail.
  ASSERT_TRUE(QTest::qWaitFor([&] { return servers->topLevelItemCount() == 1; }, 10000));
  const QTreeWidgetItem* row = servers->topLevelItem(0);
  EXPECT_EQ(row->text(0), QStringLiteral("127.0.0.1:%1").arg(kGamePort));
  EXPECT_EQ(row->text(1), "Window Arena");
  EXPECT_EQ(row->text(2), "q3dm6");
  EXPECT_EQ(row->text(4), "2/16");
  ASSERT_TRUE(QTest::qWaitFor([&] { return players->topLevelItemCount() == 2; }, 10000));
}

// Servers that answer a new client with a challenge first: the window's
// first cycle lists every one of them with its players.
class FrmMainChallengeTest : public testing::TestWithParam<std::string> {};

TEST_P(FrmMainChallengeTest, FirstCycleListsEveryServerWithItsPlayers) {
  constexpr int kServers = 3;
  const std::string game = GetParam();
  const int port = FreeUdpPorts("127.0.0.1", kServers);
  FakeServerProcess emulator({"--game", game, "--port", std::to_string(port), "--count",
                              std::to_string(kServers), "--players", "2"});
  ASSERT_EQ(emulator.WaitForReadyLines(kServers).size(), static_cast<std::size_t>(kServers))
      << emulator.Errors();
  ScratchProgramFolder home;
  std::filesystem::copy_file(A2S_PLUGIN, home.file("a2s.so"));
  std::string addresses;
  for (int i = 0; i < kServers; ++i)
    addresses += "127.0.0.1:" + std::to_string(port + i) + "," + game + "=1\n";
  home.write("skarvel.ini", "[Common]\nVersion=2.5\n"
                            "[Network]\nCheckUpdates=0\nInterval=1000\nMaxWaitAnswer=500\n"
                            "[Appearance]\nStartInTray=0\nPopupMessages=0\n"
                            "[Address]\n" +
                                addresses);
  Tdm dm(0.0);
  TfrmMain window(dm);
  const TPollEngine& engine = window.Monitor().Engine;
  ASSERT_TRUE(engine.Polling()); // the first cycle starts with the window
  ASSERT_TRUE(QTest::qWaitFor([&] { return !engine.Polling(); }, 60000));
  const TServerList& servers = window.Monitor().Servers;
  EXPECT_EQ(window.findChild<QTreeWidget*>("lvServers")->topLevelItemCount(), kServers);
  ASSERT_EQ(servers.Count(), kServers);
  for (int32_t i = 0; i < servers.Count(); ++i) {
    SCOPED_TRACE(servers.Items(i).Port);
    EXPECT_EQ(servers.Items(i).Players.Count(), 2);
  }
}

INSTANTIATE_TEST_SUITE_P(Games, FrmMainChallengeTest, testing::Values("csp", "css", "a2s"),
                         [](const testing::TestParamInfo<std::string>& game) {
                           return game.param;
                         });

// The window's socket must hold the burst of replies of a large LAN: every one
// of 1,000 hosts behind the broadcast address is listed when the first cycle
// ends. The step waits long for the replies, so that a loaded machine may read
// them late; a reply dropped from the buffer never comes back in the cycle.
TEST(FrmMainLanTest, AThousandHostsBehindTheBroadcastAddressAreListedAfterOneCycle) {
  constexpr int kHosts = 1000;
  const int port = FreeUdpPorts("0.0.0.0", 1);
  FakeServerProcess emulator({"--game", "q3", "--port", std::to_string(port), "--hosts",
                              std::to_string(kHosts), "--name", "LAN"});
  ASSERT_EQ(emulator.WaitForReadyLines(kHosts, 20000).size(), static_cast<std::size_t>(kHosts))
      << emulator.Errors();
  ScratchProgramFolder home;
  home.write("skarvel.ini", "[Common]\nVersion=2.5\n"
                            "[Network]\nCheckUpdates=0\nInterval=1000\nMaxWaitAnswer=5000\n"
                            "[Appearance]\nStartInTray=0\nPopupMessages=0\n"
                            "[Address]\n127.255.255.255:" +
                                std::to_string(port) + ",q3=1\n");
  Tdm dm(0.0);
  TfrmMain window(dm);
  const TPollEngine& engine = window.Monitor().Engine;
  ASSERT_TRUE(engine.Polling()); // the first cycle starts with the window
  ASSERT_TRUE(QTest::qWaitFor([&] { return !engine.Polling(); }, 60000));
  EXPECT_EQ(window.findChild<QTreeWidget*>("lvServers")->topLevelItemCount(), kHosts);
  EXPECT_EQ(window.Monitor().Servers.OnlineCount(), kHosts);
}

// Replies the system dropped are told once in the status line: the drop
// count goes on rising while the buffer stays too small.
TEST(FrmMainLostRepliesTest, TheFirstDropIsToldOnceInTheStatusLine) {
  ScratchProgramFolder home;
  home.write("skarvel.ini", "[Common]\nVersion=2.5\n"
                            "[Network]\nCheckUpdates=0\n"
                            "[Appearance]\nStartInTray=0\nPopupMessages=0\n"
                            "[Address]\n127.0.0.1:" +
                                std::to_string(kGamePort) + ",q3=1\n");
  Tdm dm(0.0);
  TfrmMain window(dm);
  auto& shell = *window.findChild<TPollShell*>();
  const auto statusText = [&] {
    const auto* bar = window.findChild<QStatusBar*>();
    return bar ? bar->currentMessage() : QString();
  };
  shell.TellLostReplies(0);
  EXPECT_TRUE(statusText().isEmpty());
  shell.TellLostReplies(12);
  EXPECT_TRUE(statusText().contains("sysctl -w net.core.rmem_max=")) << statusText().toStdString();
  window.statusBar()->clearMessage();
  shell.TellLostReplies(40);
  EXPECT_TRUE(statusText().isEmpty()) << statusText().toStdString();
}

} // namespace
