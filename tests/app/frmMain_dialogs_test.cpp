#include <QAbstractButton>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <string>

#include "app/PollShell.h"
#include "app/ServerView.h"
#include "config/AppSettings.h"
#include "tests/app/FrmMainFixture.h"
#include "tests/dialogs/ModalScript.h"
#include "tests/support/NotifyFixture.h"

namespace {

constexpr int32_t kQ3 = 3;

template <class T> T& In(QWidget& window, const char* name) {
  T* child = window.findChild<T*>(QString::fromLatin1(name));
  if (!child)
    throw std::runtime_error(std::string("no control ") + name);
  return *child;
}

// The window's own dialogs, opened from its commands and answered as a user would.
class FrmMainDialogsTest : public FrmMainTest {
protected:
  TServer& AddServer(const std::string& host, const std::string& description) {
    auto made = TServer::CreateFromStore(window_->Monitor().Games, window_->Roles(), host, 0, kQ3,
                                         notify_fixture::kStart);
    made->Description = description;
    made->TrayMode = kTrayCommonIcon;
    TServer& server = *made;
    window_->Monitor().Servers.Add(std::move(made));
    server.ApplyReply(0, notify_fixture::Q3Reply("Arena", {"anna"}), notify_fixture::kStart);
    server.CommitPass(notify_fixture::kStart);
    window_->RefreshServers();
    auto& view = *Child<QTreeWidget>("lvServers");
    view.setCurrentItem(view.topLevelItem(0));
    return server;
  }
  QTimer& CycleTimer() { return window_->findChild<TPollShell*>()->Timer1; }
  QString FirstCaption() { return Child<QTreeWidget>("lvServers")->topLevelItem(0)->text(0); }
};

TEST_F(FrmMainDialogsTest, SettingsOkSavesAndReArmsTheCycleTimer) {
  TfrmMain& window = Start(kShown);
  TModalScript script;
  script.Then([](QWidget& dialog) {
    EXPECT_EQ(dialog.objectName(), "frmSettings");
    In<QLineEdit>(dialog, "edInterval").setText(QStringLiteral("7000"));
    In<QAbstractButton>(dialog, "btOk").click();
  });
  window.mnSettingsClick();
  EXPECT_EQ(script.Pending(), 0);
  EXPECT_EQ(AppSettings.Interval, 7000);
  EXPECT_EQ(CycleTimer().interval(), 7000);
  EXPECT_EQ(Stored().ReadInteger("Network", "Interval", 0), 7000);
}

struct UpdateBoxCase {
  const char* name;
  const char* host; // SKARVEL_UPDATE_HOST; "" configures none
  bool offered;     // the box can be used
};

void PrintTo(const UpdateBoxCase& c, std::ostream* out) {
  *out << c.name;
}

class UpdateBoxTest : public FrmMainDialogsTest,
                      public ::testing::WithParamInterface<UpdateBoxCase> {
protected:
  ~UpdateBoxTest() override { qputenv("SKARVEL_UPDATE_HOST", ""); }
};

// Without an update server no check runs: the box must not say "Check for
// updates" every 30 days, but show itself disabled and why. The stored days
// stay for the day a server is set.
TEST_P(UpdateBoxTest, TheUpdateBoxIsOfferedOnlyWithAServer) {
  const UpdateBoxCase& c = GetParam();
  qputenv("SKARVEL_UPDATE_HOST", c.host);
  TfrmMain& window = Start(std::string(kShown) + "[Network]\nCheckUpdates=30\n");
  TModalScript script;
  script.Then([&c](QWidget& dialog) {
    auto& check = In<QCheckBox>(dialog, "chUpdate");
    EXPECT_EQ(check.isEnabled(), c.offered);
    EXPECT_EQ(check.isChecked(), c.offered);
    EXPECT_EQ(In<QLineEdit>(dialog, "edCheck").isEnabled(), c.offered);
    EXPECT_EQ(In<QAbstractButton>(dialog, "btCheck").isEnabled(), c.offered);
    auto& reason = In<QLabel>(dialog, "laNoUpdateServer");
    EXPECT_EQ(reason.isHidden(), c.offered);
    if (!c.offered) {
      EXPECT_EQ(reason.text(), QStringLiteral("No update server is configured"));
    }
    In<QAbstractButton>(dialog, "btOk").click();
  });
  window.mnSettingsClick();
  EXPECT_EQ(script.Pending(), 0);
  EXPECT_EQ(AppSettings.CheckUpdates, 30);
  EXPECT_EQ(Stored().ReadInteger("Network", "CheckUpdates", 0), 30);
}

INSTANTIATE_TEST_SUITE_P(Hosts, UpdateBoxTest,
                         ::testing::Values(UpdateBoxCase{"NoServer", "", false},
                                           UpdateBoxCase{"Server", "127.0.0.1:9", true}),
                         [](const ::testing::TestParamInfo<UpdateBoxCase>& test) {
                           return std::string(test.param.name);
                         });

// Many silent servers: the whole cycle would take minutes.
std::string SilentAddresses(int count) {
  std::string section = "[Address]\n";
  for (int i = 0; i < count; ++i)
    section +=
        "127.0.1." + std::to_string(i % 250 + 1) + ":" + std::to_string(40000 + i) + ",q3=1\n";
  return section;
}

TEST_F(FrmMainDialogsTest, SettingsOkCutsTheCycleShortAndStartsItAgainOverTheNewList) {
  TfrmMain& window =
      Start(std::string(kShown) + "[Network]\nMaxWaitAnswer=60000\n" + SilentAddresses(200));
  TPollEngine& engine = window.Monitor().Engine;
  ASSERT_TRUE(engine.Polling());
  const int32_t before = window.Monitor().Addresses.Count();
  int32_t stepsSent = 0;
  TModalScript script;
  script.Then([&](QWidget& dialog) {
    TModalScript question; // Del asks first
    question.ThenAccept();
    In<QAbstractButton>(dialog, "btDel").click(); // the first address goes
    In<QLineEdit>(dialog, "edWaitAns").setText(QStringLiteral("700"));
    // The step timer's ticks, as many as the whole cycle has, while OK waits.
    QTimer::singleShot(0, &dialog, [&] {
      for (int i = 0; i < before; ++i) {
        stepsSent += engine.Polling() ? 1 : 0;
        engine.tmSubTimer();
      }
    });
    In<QAbstractButton>(dialog, "btOk").click();
  });
  window.mnSettingsClick();
  EXPECT_EQ(script.Pending(), 0);
  EXPECT_EQ(stepsSent, 1) << "OK waited for the rest of the cycle";
  EXPECT_EQ(window.Monitor().Addresses.Count(), before - 1);
  EXPECT_TRUE(engine.Polling()) << "a new cycle over the new list";
  EXPECT_EQ(engine.CurrentAddress(), 0);
  EXPECT_EQ(window.findChild<TPollShell*>()->tmSub.interval(), 700);
}

TEST_F(FrmMainDialogsTest, SettingsCancelLeavesTimerAndFileAlone) {
  TfrmMain& window = Start(kShown);
  const int interval = CycleTimer().interval();
  const std::string before = Stored().Text();
  TModalScript script;
  script.Then([](QWidget& dialog) {
    In<QLineEdit>(dialog, "edInterval").setText(QStringLiteral("9000"));
    In<QAbstractButton>(dialog, "btCancel").click();
  });
  window.mnSettingsClick();
  EXPECT_EQ(CycleTimer().interval(), interval);
  EXPECT_EQ(Stored().Text(), before);
}

TEST_F(FrmMainDialogsTest, ServerPropertiesShowAtOnceInTheViewAndTray) {
  TfrmMain& window = Start(kShown);
  TServer& server = AddServer("10.0.0.1", "Before");
  ASSERT_EQ(FirstCaption(), "Before");
  ASSERT_EQ(server.TrayIcon, TServer::kNoTrayIcon) << "the common icon holds it";
  TModalScript script;
  script.Then([](QWidget& dialog) {
    EXPECT_EQ(dialog.objectName(), "frmServerProp");
    In<QLineEdit>(dialog, "edDescription").setText(QStringLiteral("After"));
    In<QAbstractButton>(dialog, "rbOwnIcon").click();
    In<QAbstractButton>(dialog, "btOk").click();
  });
  window.mnServersDescClick();
  EXPECT_EQ(FirstCaption(), "After");
  EXPECT_EQ(server.TrayMode, kTrayOwnIcon);
  EXPECT_NE(server.TrayIcon, TServer::kNoTrayIcon) << "an icon of its own at once";
  EXPECT_NE(Stored().ReadRawString("Description", server.IniKey(), "").find("After"),
            std::string::npos);
  ASSERT_NE(window.Monitor().KnownServers.Find(server.Host, server.Port, server.Id), nullptr);
  EXPECT_EQ(window.Monitor().KnownServers.Find(server.Host, server.Port, server.Id)->Description,
            "After");
}

TEST_F(FrmMainDialogsTest, ServerThatGoesWhileItsPropertiesAreEditedIsStillSaved) {
  TfrmMain& window = Start(kShown);
  TServer& server = AddServer("10.0.0.2", "Before");
  const std::string key = server.IniKey();
  TModalScript script;
  script.Then([&](QWidget& dialog) {
    window.Monitor().Servers.Delete(0); // the poll cycle retired it meanwhile
    In<QLineEdit>(dialog, "edDescription").setText(QStringLiteral("Kept"));
    In<QAbstractButton>(dialog, "btOk").click();
  });
  window.mnServersDescClick();
  EXPECT_EQ(window.Monitor().Servers.Count(), 0);
  EXPECT_NE(Stored().ReadRawString("Description", key, "").find("Kept"), std::string::npos);
}

} // namespace
