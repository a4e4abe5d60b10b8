// The History entries of the main window: they need a server and the history
// plug-in's database, looked for each time a menu opens.
#include <QAction>
#include <QApplication>
#include <QHelpEvent>
#include <QMenu>
#include <QToolTip>

#include <gtest/gtest.h>

#include <filesystem>

#include "app/ServerView.h"
#include "history/HistoryWindow.h"
#include "model/server.h"
#include "tests/app/FrmMainFixture.h"
#include "tests/history/HistoryFixture.h"
#include "tests/support/NotifyFixture.h"

namespace {

using notify_fixture::kStart;
using notify_fixture::Q3Reply;

constexpr int32_t kQ3 = 3;
const QString kHint = QStringLiteral(
    "To record a history, copy history.so into the program folder and start Skarvel again");

class FrmMainHistoryTest : public FrmMainTest {
protected:
  TServer& AddQ3(const std::string& host, int32_t port) {
    auto made = TServer::CreateFromStore(window_->Monitor().Games, window_->Roles(), host, port,
                                         kQ3, kStart);
    TServer& server = *made;
    window_->Monitor().Servers.Add(std::move(made));
    server.AnsweredInPass = false;
    server.ApplyReply(0, Q3Reply("Rail Arena", {"anna"}), kStart);
    server.CommitPass(kStart);
    window_->RefreshServers();
    window_->SelectServer(server);
    return server;
  }
  // What each History entry offers as its menu opens: enabled, and the hint.
  std::vector<std::pair<bool, bool>> Opened() {
    std::vector<std::pair<bool, bool>> entries;
    for (const char* menu : {"mnuView", "pmServers"}) {
      emit Child<QMenu>(menu)->aboutToShow();
      EXPECT_TRUE(Child<QMenu>(menu)->toolTipsVisible()) << menu;
    }
    for (const char* name : {"mnServerHistory", "mnServersHistory"})
      entries.emplace_back(Child<QAction>(name)->isEnabled(),
                           Child<QAction>(name)->toolTip() == kHint &&
                               Child<QAction>(name)->statusTip() == kHint);
    return entries;
  }
  // The tooltip the popup menu shows with the mouse over the entry.
  QString HintShownOver(const char* name) {
    auto* menu = Child<QMenu>("pmServers");
    menu->popup(QPoint(10, 10));
    const QPoint at = menu->actionGeometry(Child<QAction>(name)).center();
    QHelpEvent help(QEvent::ToolTip, at, menu->mapToGlobal(at));
    QApplication::sendEvent(menu, &help);
    const QString shown = QToolTip::isVisible() ? QToolTip::text() : QString();
    QToolTip::hideText();
    menu->hide();
    return shown;
  }
  static std::vector<std::pair<bool, bool>> Both(bool enabled, bool hinted) {
    return {{enabled, hinted}, {enabled, hinted}};
  }
};

TEST_F(FrmMainHistoryTest, HistoryIsOfferedOnceThePluginHasMadeItsDatabase) {
  Start(kShown);
  EXPECT_EQ(Opened(), Both(false, true)) << "neither a server nor a database";
  TServer& server = AddQ3("10.0.0.1", 0);
  EXPECT_EQ(Opened(), Both(false, true)) << "a server, but no history recorded";
  EXPECT_EQ(HintShownOver("mnServersHistory"), kHint) << "a disabled entry still shows it";
  THistoryFixture made(home_.file("history.db"));
  EXPECT_EQ(Opened(), Both(true, false)) << "the database appeared while running";
  server.SetOnline(false);
  window_->RefreshServers();
  EXPECT_EQ(Opened(), Both(false, false)) << "no server to show";
}

TEST_F(FrmMainHistoryTest, TheDatabaseIsWhereTheSettingsPutIt) {
  Start(std::string(kShown) + "[History]\nDatabase=kept/h.db\n");
  AddQ3("10.0.0.1", 0);
  THistoryFixture elsewhere(home_.file("history.db"));
  EXPECT_EQ(Opened(), Both(false, true)) << "not the file the plug-in writes";
  std::filesystem::create_directory(home_.file("kept"));
  THistoryFixture made(home_.file("kept/h.db"));
  EXPECT_EQ(Opened(), Both(true, false));
}

struct AddressCase {
  const char* host;
  int32_t port;
  const char* address; // as the plug-in stores it
};

TEST_F(FrmMainHistoryTest, TheWindowAsksForTheServerAsThePluginStoresIt) {
  Start(kShown);
  THistoryFixture made(home_.file("history.db"));
  for (const AddressCase& c : {AddressCase{"10.0.0.1", 27960, "10.0.0.1"},
                               AddressCase{"10.0.0.2", 27961, "10.0.0.2:27961"}}) {
    AddQ3(c.host, c.port);
    ASSERT_EQ(Opened(), Both(true, false));
    Child<QAction>("mnServersHistory")->trigger();
    auto* history = window_->findChild<THistoryWindow*>("frmHistory");
    ASSERT_NE(history, nullptr);
    EXPECT_TRUE(history->isVisible());
    EXPECT_EQ(history->Server().Game, "q3");
    EXPECT_EQ(history->Server().Address, c.address);
    EXPECT_EQ(history->Server().DatabasePath, home_.file("history.db"));
    EXPECT_EQ(history->Server().Name, "Rail Arena");
    EXPECT_EQ(history->windowTitle(), QStringLiteral("History of Rail Arena"));
  }
  EXPECT_EQ(window_->findChildren<THistoryWindow*>().size(), 1) << "one window, reused";
}

// The focus frame may stand on another row than the selected one, whose
// players are shown: History is of the server on view.
TEST_F(FrmMainHistoryTest, TheWindowIsOfTheSelectedServerNotOfTheFocusedRow) {
  Start(kShown);
  THistoryFixture made(home_.file("history.db"));
  AddQ3("10.0.0.1", 0);
  TServer& selected = AddQ3("10.0.0.2", 0);
  auto* servers = window_->findChild<TServerView*>("lvServers");
  ASSERT_EQ(window_->ShownServer(), &selected);
  QTreeWidgetItem* other = servers->topLevelItem(0);
  if (servers->ServerOf(other) == &selected)
    other = servers->topLevelItem(1);
  // As Ctrl+arrow moves the focus frame without selecting.
  servers->selectionModel()->setCurrentIndex(servers->indexFromItem(other),
                                             QItemSelectionModel::NoUpdate);
  ASSERT_NE(servers->FocusedServer(), &selected);
  ASSERT_EQ(window_->ShownServer(), &selected);

  ASSERT_EQ(Opened(), Both(true, false));
  Child<QAction>("mnServersHistory")->trigger();
  auto* history = window_->findChild<THistoryWindow*>("frmHistory");
  ASSERT_NE(history, nullptr);
  EXPECT_EQ(history->Server().Address, "10.0.0.2");
}

} // namespace
