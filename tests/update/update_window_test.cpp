// The window goes on polling while an automatic check waits for a server
// that never answers: cycle ticks come, datagrams are handled, and no second
// check starts.
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <string>
#include <vector>

#include "app/PollShell.h"
#include "app/Unit1.h"
#include "app/dm.h"
#include "tests/support/FakeServerProcess.h"
#include "tests/support/ScratchProgramFolder.h"
#include "tests/update/LocalWebServer.h"

namespace {

constexpr int kGamePort = 28961; // apart from the ports of the other loopback tests

TEST(UpdateWindowTest, PollingGoesOnWhileTheAutomaticCheckWaits) {
  FakeServerProcess emulator({"--game", "q3", "--port", std::to_string(kGamePort), "--name",
                              "Patient Arena", "--players", "1"});
  ASSERT_EQ(emulator.WaitForReadyLines(1).size(), 1u) << emulator.Errors();
  TLocalWebServer web(TLocalWebServer::Stall());
  qputenv("SKARVEL_UPDATE_HOST", QByteArray::fromStdString(web.Address()));

  ScratchProgramFolder home;
  home.write("skarvel.ini", "[Common]\nVersion=2.5\n"
                            "[Network]\nCheckUpdates=30\nInterval=1000\nMaxWaitAnswer=200\n"
                            "[Appearance]\nStartInTray=0\n[Address]\n127.0.0.1:" +
                                std::to_string(kGamePort) + ",q3=1\n");
  auto dm = std::make_unique<Tdm>(0.0); // a build stamp long ago: the check is due
  auto window = std::make_unique<TfrmMain>(*dm);
  auto* shell = window->findChild<TPollShell*>();
  ASSERT_TRUE(shell);
  shell->AttachUpdateCheck(dm->UpdateCheck);
  auto* servers = window->findChild<QTreeWidget*>("lvServers");

  // The next cycle tick starts the check, which never hears from its server.
  ASSERT_TRUE(QTest::qWaitFor([&] { return web.Connections() == 1; }, 30000));
  ASSERT_TRUE(dm->UpdateCheck.Running());
  QSignalSpy ticks(&shell->Timer1, &QTimer::timeout);
  const TServerList& polled = window->Monitor().Servers;
  const auto lastReply = [&] { return polled.Count() == 1 ? polled.Items(0).LastReply : 0.0; };
  const TDateTime answeredBefore = lastReply();
  // Meanwhile the emulator's answers are handled and the ticks go on...
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return ticks.count() >= 2 && lastReply() > answeredBefore; }, 30000));
  ASSERT_EQ(servers->topLevelItemCount(), 1);
  EXPECT_EQ(servers->topLevelItem(0)->text(1), "Patient Arena");
  // ...without a second check.
  EXPECT_TRUE(dm->UpdateCheck.Running());
  EXPECT_EQ(web.Connections(), 1);

  window.reset();
  dm.reset();
  qputenv("SKARVEL_UPDATE_HOST", "");
  emulator.Stop(SIGTERM);
}

} // namespace
