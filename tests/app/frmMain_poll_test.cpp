// The window polls for real: an emulated Quake 3 server on loopback shows up
// in the server view with its players.
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <string>
#include <vector>

#include "app/Unit1.h"
#include "app/dm.h"
#include "tests/support/FakeServerProcess.h"
#include "tests/support/ScratchProgramFolder.h"

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

} // namespace
