#include <QDBusConnection>
#include <QDialog>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "config/AppSettings.h"
#include "tests/app/FrmMainFixture.h"
#include "tests/notify/FakeNotificationService.h"
#include "tests/support/NotifyFixture.h"

namespace {

using notify_fixture::kStart;
using notify_fixture::Q3Reply;

constexpr int32_t kQ3 = 3;
constexpr int kReplyMs = 30000; // see Announcer_test.cpp

// A window whose game starts are recorded instead of run.
class LaunchRecordingWindow : public TfrmMain {
public:
  using TfrmMain::TfrmMain;
  std::vector<std::string> started;

  std::optional<std::string> SelectExecutable(const std::string&, const std::string&) override {
    return std::nullopt;
  }
  bool StartGame(const std::string& executable, const std::string& parameters,
                 const std::string& folder) override {
    started.push_back(executable + " | " + parameters + " | " + folder);
    return true;
  }
};

// The window on the test's private session bus, where a fake notification
// service runs, with Quake 3 servers that come online and announce it.
class FrmMainNotifyTest : public FrmMainTest {
protected:
  void SetUp() override {
    FrmMainTest::SetUp();
    ASSERT_TRUE(service.Register()) << "no session bus: run this test under dbus-run-session";
  }

  LaunchRecordingWindow& Open(const char* ini) {
    LaunchRecordingWindow& window = StartAs<LaunchRecordingWindow>(ini);
    AppSettings.PopupMessages = true;
    return window;
  }
  // The server answers for the first time; its "is online" is announced.
  TServer& ComesOnline(const std::string& host, int32_t port, const std::string& name) {
    auto made = TServer::CreateFromStore(window_->Monitor().Games, window_->Roles(), host, port,
                                         kQ3, kStart);
    made->Popup = true;
    made->TrayMode = kTrayCommonIcon;
    TServer& server = *made;
    window_->Monitor().Servers.Add(std::move(made));
    server.ApplyReply(0, Q3Reply(name, {}), kStart);
    server.AnnounceOnline();
    server.CommitPass(kStart);
    window_->RefreshServers();
    return server;
  }
  // The id of the notification that names `text`, once the service has it.
  uint Shown(const std::string& text) {
    uint id = 0;
    const bool found = QTest::qWaitFor(
        [&] {
          for (const FakeNotificationService::TShown& shown : service.shown)
            if (shown.Body.contains(QString::fromStdString(text)))
              id = shown.Id;
          return id != 0;
        },
        kReplyMs);
    return found && service.Caught(QDBusConnection::sessionBus(), kReplyMs) ? id : 0;
  }
  QString Selected() {
    const QList<QTreeWidgetItem*> rows = Child<QTreeWidget>("lvServers")->selectedItems();
    return rows.size() == 1 ? rows.front()->text(1) : QString("<%1 selected>").arg(rows.size());
  }

  FakeNotificationService service;
};

TEST_F(FrmMainNotifyTest, JoinStartsTheGameAtTheServerAsGoDoes) {
  LaunchRecordingWindow& window = Open(kShown);
  const std::string executable = home_.write("games/q3/ioquake3", "");
  window.Monitor().Games.FindById(kQ3)->Executable = executable;
  ComesOnline("127.0.0.1", 27961, "Rail Arena");
  ComesOnline("127.0.0.2", 0, "Other");
  const uint id = Shown("(127.0.0.1:27961)");
  ASSERT_NE(id, 0u);
  ASSERT_EQ(service.shown.front().Actions.value(0), "join");
  EXPECT_TRUE(window.started.empty());

  service.Click(id, "join");
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window.started.empty(); }, kReplyMs));
  EXPECT_EQ(window.started, std::vector<std::string>{executable + " | +connect 127.0.0.1:27961 | " +
                                                     home_.file("games/q3")});
  EXPECT_FALSE(window.ReallyClose());
}

TEST_F(FrmMainNotifyTest, JoinEndsTheProgramWhenQuitIsSet) {
  LaunchRecordingWindow& window = Open(kShown);
  window.Monitor().Games.FindById(kQ3)->Executable = home_.write("ioquake3", "");
  AppSettings.Quit = true;
  ComesOnline("127.0.0.1", 27961, "Rail Arena");
  const uint id = Shown("(127.0.0.1:27961)");
  ASSERT_NE(id, 0u);
  service.Click(id, "join");
  ASSERT_TRUE(QTest::qWaitFor([&] { return window.ReallyClose(); }, kReplyMs));
  EXPECT_EQ(window.started.size(), 1u);
  AppSettings.Quit = false;
}

TEST_F(FrmMainNotifyTest, WhileADialogWaitsJoinOnlyBringsTheWindowUp) {
  LaunchRecordingWindow& window = Open("[Appearance]\nStartInTray=1\n");
  window.Monitor().Games.FindById(kQ3)->Executable = home_.write("ioquake3", "");
  ComesOnline("127.0.0.1", 27961, "Rail Arena");
  const uint id = Shown("(127.0.0.1:27961)");
  ASSERT_NE(id, 0u);
  auto* waiting = new QDialog(&window); // as the executable's file dialog would be
  waiting->setModal(true);
  waiting->show();

  service.Click(id, "join");
  ASSERT_TRUE(QTest::qWaitFor([&] { return window.isVisible(); }, kReplyMs));
  EXPECT_TRUE(window.started.empty());
  EXPECT_TRUE(waiting->isVisible());

  // That click was the notification's one action; the next announcement's
  // Join, with the dialog gone, starts the game.
  delete waiting;
  ComesOnline("127.0.0.2", 0, "Other");
  const uint next = Shown("(127.0.0.2)");
  ASSERT_NE(next, 0u);
  service.Click(next, "join");
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window.started.empty(); }, kReplyMs));
  EXPECT_EQ(window.started.size(), 1u);
}

TEST_F(FrmMainNotifyTest, ShowBringsUpTheWindowWithTheServerSelected) {
  LaunchRecordingWindow& window = Open("[Appearance]\nStartInTray=1\n");
  ComesOnline("127.0.0.1", 27961, "Rail Arena");
  ComesOnline("127.0.0.2", 0, "Other");
  window.SelectServer(*window.Monitor().Servers.Find("127.0.0.1", 27961, kQ3));
  ASSERT_FALSE(window.isVisible());
  const uint id = Shown("(127.0.0.2)");
  ASSERT_NE(id, 0u);

  service.Click(id, "show");
  ASSERT_TRUE(QTest::qWaitFor([&] { return window.isVisible(); }, kReplyMs));
  EXPECT_EQ(Selected(), "Other");
  EXPECT_TRUE(window.started.empty());
}

TEST_F(FrmMainNotifyTest, AServerGoneByTheClickOnlyShowsTheWindow) {
  LaunchRecordingWindow& window = Open("[Appearance]\nStartInTray=1\n");
  window.Monitor().Games.FindById(kQ3)->Executable = home_.write("ioquake3", "");
  ComesOnline("127.0.0.1", 27961, "Rail Arena");
  const uint id = Shown("(127.0.0.1:27961)");
  ASSERT_NE(id, 0u);
  TServerList& servers = window.Monitor().Servers;
  for (int32_t i = servers.Count() - 1; i >= 0; --i)
    servers.Delete(i);
  window.RefreshServers();

  service.Click(id, "join");
  ASSERT_TRUE(QTest::qWaitFor([&] { return window.isVisible(); }, kReplyMs));
  EXPECT_TRUE(window.started.empty());
}

TEST_F(FrmMainNotifyTest, PopupMessagesOffSilencesTheNotificationsToo) {
  Open(kShown);
  AppSettings.PopupMessages = false;
  ComesOnline("127.0.0.1", 27961, "Rail Arena");
  AppSettings.PopupMessages = true;
  ComesOnline("127.0.0.2", 0, "Other");
  ASSERT_NE(Shown("(127.0.0.2)"), 0u);
  ASSERT_EQ(service.shown.size(), 1u);
}

} // namespace
