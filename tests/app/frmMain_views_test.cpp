#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLocale>
#include <QProgressBar>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <random>

#include "app/ServerView.h"
#include "config/AppSettings.h"
#include "tests/app/FrmMainFixture.h"
#include "tests/support/NotifyFixture.h"
#include "tray/Tray.h"
#include "tray/TrayState.h"

namespace {

using notify_fixture::kStart;
using notify_fixture::Q3Reply;
using notify_fixture::Roster;

constexpr int32_t kQ2 = 2;
constexpr int32_t kQ3 = 3;
constexpr int32_t kCounterStrike = 4;

// The window with servers of the test's making in its live list.
class FrmMainViewsTest : public FrmMainTest {
protected:
  TfrmMain& Open() { return Start(kShown); }

  TServer& Add(const std::string& host, const std::string& description, const Roster& players = {},
               int32_t gameId = kQ3, int32_t port = 0) {
    auto made = TServer::CreateFromStore(window_->Monitor().Games, window_->Roles(), host, port,
                                         gameId, kStart);
    made->Description = description;
    made->TrayMode = kTrayCommonIcon;
    TServer& server = *made;
    window_->Monitor().Servers.Add(std::move(made));
    if (gameId == kQ3)
      Answer(server, players);
    else
      server.SetOnline(true);
    return server;
  }
  void Answer(TServer& server, const Roster& players, const std::string& name = "Arena") {
    server.AnsweredInPass = false;
    server.ApplyReply(0, Q3Reply(name, players), kStart);
    server.CommitPass(kStart);
  }

  QTreeWidget& Servers() { return *Child<QTreeWidget>("lvServers"); }
  QTreeWidget& Players() { return *Child<QTreeWidget>("lvPlayers"); }
  TServerView& View() { return *Child<TServerView>("lvServers"); }

  static QStringList Column(const QTreeWidget& view, int column) {
    QStringList texts;
    for (int i = 0; i < view.topLevelItemCount(); ++i)
      texts << view.topLevelItem(i)->text(column);
    return texts;
  }
  QString SelectedCaption() {
    const QList<QTreeWidgetItem*> selected = Servers().selectedItems();
    return selected.size() == 1 ? selected.front()->text(0)
                                : QString("<%1 selected>").arg(selected.size());
  }
  QString FocusedCaption() {
    return Servers().currentItem() ? Servers().currentItem()->text(0) : QString("<none>");
  }
};

TEST_F(FrmMainViewsTest, ServersAreSortedByTheFirstColumnWhateverTheListOrder) {
  // The user's locale decides; in English lower case goes first.
  const QLocale saved;
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  TfrmMain& window = Open();
  QLocale::setDefault(saved);
  Add("10.0.0.1", "beta");
  Add("10.0.0.2", "Alpha");
  window.RefreshServers();
  EXPECT_EQ(Column(Servers(), 0), (QStringList{"Alpha", "beta"}));

  // Servers joining one by one land in their places too.
  Add("10.0.0.3", "Gamma");
  window.RefreshServers();
  Add("10.0.0.4", "alpha");
  window.RefreshServers();
  EXPECT_EQ(Column(Servers(), 0), (QStringList{"alpha", "Alpha", "beta", "Gamma"}));
  window.InvalidateViews();
  window.RefreshServers();
  EXPECT_EQ(Column(Servers(), 0), (QStringList{"alpha", "Alpha", "beta", "Gamma"}));
}

TEST_F(FrmMainViewsTest, RowsShowTheServerAndItsGameImage) {
  TfrmMain& window = Open();
  Add("10.0.0.1", "", {"a", "b"});
  window.RefreshServers();
  ASSERT_EQ(Servers().topLevelItemCount(), 1);
  const QTreeWidgetItem* row = Servers().topLevelItem(0);
  EXPECT_EQ(row->text(0), "10.0.0.1");
  EXPECT_EQ(row->text(1), "Arena");
  EXPECT_EQ(row->text(2), "q3dm17");
  EXPECT_EQ(row->text(3), "20");
  EXPECT_EQ(row->text(4), "2/16");
  EXPECT_FALSE(row->icon(0).isNull());
}

// Quake 2 sends its counts as one word; the row shows them like any other
// game's, the tray counts the players, and a cut reply shows no counts.
TEST_F(FrmMainViewsTest, Quake2RowsShowTheCountsOfTheReply) {
  const std::string header = "\xFF\xFF\xFF\xFFinfo\n";
  const struct {
    const char* name;
    std::string reply;
    QString cell;
    QStringList players;
    const char* hint;
  } cases[] = {
      {"busy",
       header + "  Big Frag Arena    q2dm1  3/16\n",
       "3/16",
       {"Player1", "Player2", "Player3"},
       "Big Frag Arena - q2dm1 (3)"},
      {"small",
       header + "      Small Room    q2dm8  1/ 8\n",
       "1/8",
       {"Player1"},
       "Small Room - q2dm8 (1)"},
      {"cut in the counts",
       header + "  Big Frag Arena    q2dm1  3/1",
       "/",
       {},
       "Big Frag Arena - q2dm1 (0)"},
  };
  TfrmMain& window = Open();
  TServer& server = Add("10.0.0.1", "", {}, kQ2);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    server.AnsweredInPass = false;
    server.ApplyReply(0, c.reply, kStart);
    server.CommitPass(kStart);
    window.RefreshServers();
    ASSERT_EQ(Servers().topLevelItemCount(), 1);
    EXPECT_EQ(Servers().topLevelItem(0)->text(4), c.cell);
    EXPECT_EQ(Column(Players(), 0), c.players);
    EXPECT_EQ(TrayHintLine(server), c.hint);
  }
}

// Following changed servers must give exactly what a rebuild gives.
TEST_F(FrmMainViewsTest, FollowingChangesMatchesARebuildThroughRandomChurn) {
  TfrmMain& window = Open();
  std::mt19937 random(7);
  const std::vector<std::string> names = {"alpha", "Alpha", "beta", "Beta", "gamma", "", "delta"};
  std::vector<TServer*> servers;
  for (int i = 0; i < 12; ++i)
    servers.push_back(&Add("10.0.1." + std::to_string(i), names[i % names.size()]));
  window.RefreshServers();
  for (int round = 0; round < 200; ++round) {
    TServer& server = *servers[random() % servers.size()];
    switch (random() % 3) {
    case 0:
      server.SetOnline(!server.Online);
      break;
    case 1:
      server.Description = names[random() % names.size()];
      window.ServerChanged(server);
      break;
    default:
      Answer(server, {}, "Name" + std::to_string(random() % 4));
      break;
    }
    window.RefreshServers();
    const QStringList hosts = Column(Servers(), 0);
    const QStringList infos = Column(Servers(), 1);
    const QString selected = SelectedCaption();
    window.InvalidateViews();
    window.RefreshServers();
    ASSERT_EQ(Column(Servers(), 0), hosts) << "round " << round;
    ASSERT_EQ(Column(Servers(), 1), infos) << "round " << round;
    ASSERT_EQ(SelectedCaption(), selected) << "round " << round;
  }
}

TEST_F(FrmMainViewsTest, WhenTheSelectedServerGoesOfflineTheFirstRowIsSelected) {
  TfrmMain& window = Open();
  Add("10.0.0.1", "A", {"anna"});
  TServer& b = Add("10.0.0.2", "B", {"bert", "bob"});
  Add("10.0.0.3", "C");
  window.RefreshServers();
  window.SelectServer(b);
  EXPECT_EQ(SelectedCaption(), "B");
  EXPECT_EQ(Column(Players(), 0), (QStringList{"bert", "bob"}));

  // The end of a cycle in which only B kept silent.
  TServerList& live = window.Monitor().Servers;
  live.ResetCycle();
  for (int i = 0; i < live.Count(); ++i)
    live.Items(i).AnsweredInCycle = &live.Items(i) != &b;
  live.MarkSilentOffline();
  window.RefreshServers();

  EXPECT_EQ(Column(Servers(), 0), (QStringList{"A", "C"}));
  EXPECT_EQ(SelectedCaption(), "A");
  EXPECT_EQ(FocusedCaption(), "<none>"); // the focused row went with B
  EXPECT_EQ(Column(Players(), 0), (QStringList{"anna"}));
}

TEST_F(FrmMainViewsTest, SelectionAndFocusFollowTheirServersWhenRowsMove) {
  TfrmMain& window = Open();
  TServer& b = Add("10.0.0.2", "B");
  Add("10.0.0.3", "C");
  Add("10.0.0.4", "D");
  window.RefreshServers();
  window.SelectServer(b);

  b.Description = "Z"; // moves to the end
  window.ServerChanged(b);
  Add("10.0.0.1", "A");
  window.RefreshServers();
  EXPECT_EQ(Column(Servers(), 0), (QStringList{"A", "C", "D", "Z"}));
  EXPECT_EQ(SelectedCaption(), "Z");
  EXPECT_EQ(FocusedCaption(), "Z");
}

TEST_F(FrmMainViewsTest, WithoutAFocusedRowNoneIsFocusedAfterARefresh) {
  TfrmMain& window = Open();
  Add("10.0.0.1", "A");
  window.RefreshServers();
  EXPECT_EQ(SelectedCaption(), "A");
  EXPECT_EQ(FocusedCaption(), "<none>");
  Add("10.0.0.2", "0 first");
  window.RefreshServers();
  EXPECT_EQ(SelectedCaption(), "A");
  EXPECT_EQ(FocusedCaption(), "<none>");
}

TEST_F(FrmMainViewsTest, PlayersAreSortedByFragsAndRestoredByPosition) {
  TfrmMain& window = Open();
  TServer& server = Add("10.0.0.1", "A");
  window.RefreshServers();
  // Frags arrive with the players of a commit.
  const auto commit = [&](const std::vector<std::pair<std::string, int>>& roster) {
    server.NewPlayers.Clear();
    for (const auto& [name, frags] : roster)
      server.NewPlayers.Add(std::make_unique<TPlayer>(name, frags, kStart));
    server.NewInfo = server.Info;
    server.CommitPass(kStart);
  };
  commit({{"five", 5}, {"twelve", 12}, {"none", 0}, {"three", 3}});
  EXPECT_EQ(Column(Players(), 0), (QStringList{"twelve", "five", "three", "none"}));
  EXPECT_EQ(Column(Players(), 1), (QStringList{"12", "5", "3", "0"}));

  Players().setCurrentItem(Players().topLevelItem(1));
  commit({{"five", 20}, {"twelve", 12}, {"none", 0}, {"three", 3}});
  window.RefreshServers();
  EXPECT_EQ(Column(Players(), 0), (QStringList{"five", "twelve", "three", "none"}));
  EXPECT_EQ(Players().currentItem()->text(0), "twelve"); // the same place, another player
  EXPECT_TRUE(Players().currentItem()->isSelected());
}

TEST_F(FrmMainViewsTest, BuddiesStandOutInBold) {
  TfrmMain& window = Start(std::string(kShown) + "[Buddies]\n0=b*\n");
  TServer& server = Add("10.0.0.1", "A", {"anna", "bert", "Bob"});
  window.RefreshServers();
  window.SelectServer(server);
  ASSERT_EQ(Players().topLevelItemCount(), 3);
  QStringList bold;
  for (int i = 0; i < Players().topLevelItemCount(); ++i) {
    const QTreeWidgetItem* row = Players().topLevelItem(i);
    EXPECT_EQ(row->font(0).bold(), row->font(1).bold()) << i;
    if (row->font(0).bold())
      bold << row->text(0);
  }
  bold.sort();
  EXPECT_EQ(bold, (QStringList{"Bob", "bert"}));
}

TEST_F(FrmMainViewsTest, GoAndServerPropertiesNeedARowCopyNeedsAPlayer) {
  TfrmMain& window = Open();
  const auto enabled = [&] {
    std::string states;
    for (const char* name : {"mnGo", "mnServersGo", "mnDesc", "mnServersDesc"})
      states += Child<QAction>(name)->isEnabled() ? '1' : '0';
    return states;
  };
  window.RefreshServers();
  EXPECT_EQ(enabled(), "0000");
  TServer& server = Add("10.0.0.1", "A");
  window.RefreshServers();
  EXPECT_EQ(enabled(), "1111");

  window.pmPlayersPopup();
  EXPECT_FALSE(Child<QAction>("mnPlayersCopy")->isEnabled());
  Answer(server, {"anna"});
  window.RefreshServers();
  window.pmPlayersPopup();
  EXPECT_TRUE(Child<QAction>("mnPlayersCopy")->isEnabled());

  server.SetOnline(false);
  window.RefreshServers();
  EXPECT_EQ(enabled(), "0000");
}

TEST_F(FrmMainViewsTest, CopyPutsTheFocusedPlayerOnTheClipboard) {
  TfrmMain& window = Open();
  Add("10.0.0.1", "A", {"anna", "bert"});
  window.RefreshServers();
  QApplication::clipboard()->setText("before");
  window.mnPlayersCopyClick(); // no focused player: nothing
  EXPECT_EQ(QApplication::clipboard()->text(), "before");

  Players().setCurrentItem(Players().topLevelItem(1));
  window.mnPlayersCopyClick();
  EXPECT_EQ(QApplication::clipboard()->text(), Players().topLevelItem(1)->text(0));
}

// A window whose game starts and executable picks are recorded.
class RecordingWindow : public TfrmMain {
public:
  using TfrmMain::TfrmMain;
  std::vector<std::string> started;
  std::vector<std::string> notFound;
  int picks = 0;
  bool recordStarts = true; // false: really start, as the desktop would

  std::optional<std::string> SelectExecutable(const std::string&, const std::string&) override {
    ++picks;
    return std::nullopt;
  }
  void GameNotFound(const std::string& gameTitle, const std::string& executable) override {
    notFound.push_back(gameTitle + " | " + executable);
  }
  bool StartGame(const std::string& executable, const std::string& parameters,
                 const std::string& folder) override {
    started.push_back(executable + " | " + parameters + " | " + folder);
    return recordStarts || TfrmMain::StartGame(executable, parameters, folder);
  }
};

struct GoCase {
  int32_t port;
  const char* parameters;
};

void PrintTo(const GoCase& c, std::ostream* out) {
  *out << "port " << c.port;
}

class FrmMainGoTest : public FrmMainViewsTest, public ::testing::WithParamInterface<GoCase> {};

TEST_P(FrmMainGoTest, StartsTheGamePointedAtTheFocusedServer) {
  RecordingWindow& window = StartAs<RecordingWindow>(kShown);
  const std::string executable = home_.write("games/cs/hl.exe", "");
  TGame& game = *window.Monitor().Games.FindById(kCounterStrike);
  game.Executable = executable;
  game.Parameters = "+connect %IP%:%Port% %1";
  TServer& server = Add("10.0.0.5", "", {}, kCounterStrike, GetParam().port);
  window.RefreshServers();

  window.mnGoClick(); // no focused row
  EXPECT_TRUE(window.started.empty());

  window.SelectServer(server);
  window.mnGoClick();
  EXPECT_EQ(window.started, (std::vector<std::string>{executable + " | " + GetParam().parameters +
                                                      " | " + home_.file("games/cs")}));
  EXPECT_FALSE(window.ReallyClose());
}

INSTANTIATE_TEST_SUITE_P(Ports, FrmMainGoTest,
                         ::testing::Values(GoCase{27016, "+connect 10.0.0.5:27016 10.0.0.5:27016"},
                                           GoCase{27015, "+connect 10.0.0.5:27015 10.0.0.5"}));

TEST_F(FrmMainViewsTest, QuitEndsTheProgramOnlyAfterAGameStarted) {
  RecordingWindow& window = StartAs<RecordingWindow>(kShown);
  window.recordStarts = false;
  AppSettings.Quit = true;
  TGame& game = *window.Monitor().Games.FindById(kQ3);
  game.Executable = home_.file("missing/quake3");
  TServer& server = Add("10.0.0.1", "A");
  window.RefreshServers();
  window.SelectServer(server);

  // The user does not supply the missing executable: nothing starts, the
  // user is told why, and the program stays.
  window.mnGoClick();
  EXPECT_EQ(window.picks, 1);
  EXPECT_TRUE(window.started.empty());
  EXPECT_EQ(window.notFound, std::vector<std::string>{"Quake 3 | " + home_.file("missing/quake3")});
  EXPECT_EQ(game.Executable, home_.file("missing/quake3"));
  EXPECT_FALSE(window.ReallyClose());
  EXPECT_TRUE(window.isVisible());

  game.Executable = "/bin/true";
  window.mnGoClick();
  EXPECT_TRUE(window.ReallyClose());
  EXPECT_FALSE(window.isVisible());
}

TEST_F(FrmMainViewsTest, DoubleClickStartsTheGameOnlyWhenSetTo) {
  RecordingWindow& window = StartAs<RecordingWindow>(kShown);
  window.Monitor().Games.FindById(kQ3)->Executable = home_.write("quake3", "");
  TServer& server = Add("10.0.0.1", "A");
  window.RefreshServers();
  window.SelectServer(server);
  AppSettings.DoubleClick = false;
  window.lvServersDblClick();
  EXPECT_TRUE(window.started.empty());
  AppSettings.DoubleClick = true;
  window.lvServersDblClick();
  EXPECT_EQ(window.started.size(), 1u);
}

TEST_F(FrmMainViewsTest, HintStandsInForTheRowsWhileThereAreNone) {
  TfrmMain& window = Open();
  const QWidget& hint = *Child<QWidget>("lvServersHint");
  EXPECT_TRUE(hint.isVisible());

  TServer& server = Add("10.0.0.1", "A");
  window.RefreshServers();
  EXPECT_FALSE(hint.isVisible());

  server.SetOnline(false);
  window.RefreshServers();
  ASSERT_EQ(Servers().topLevelItemCount(), 0);
  EXPECT_TRUE(hint.isVisible());
}

TEST_F(FrmMainViewsTest, RefreshDuringACycleChangesNothing) {
  TfrmMain& window = Open();
  TPollEngine& engine = window.Monitor().Engine;
  ASSERT_TRUE(engine.Polling()); // the first cycle starts with the window
  const int progress = Child<QProgressBar>("pgs")->value();
  QAction& refresh = *Child<QAction>("mnRefresh");
  ASSERT_EQ(refresh.shortcut(), QKeySequence(Qt::Key_F5));
  refresh.trigger();
  EXPECT_TRUE(engine.Polling());
  EXPECT_EQ(Child<QProgressBar>("pgs")->value(), progress);

  // Step ticks end the cycle; then F5 starts the next one at once.
  while (engine.Polling())
    engine.tmSubTimer();
  refresh.trigger();
  EXPECT_TRUE(engine.Polling());
}

// Counts the paint events a widget gets.
class PaintCounter : public QObject {
public:
  explicit PaintCounter(QWidget& widget) { widget.installEventFilter(this); }
  int paints = 0;

protected:
  bool eventFilter(QObject*, QEvent* event) override {
    paints += event->type() == QEvent::Paint ? 1 : 0;
    return false;
  }
};

TEST_F(FrmMainViewsTest, PollStepsLeaveTheProgressBarToTheNextPaint) {
  TfrmMain& window = Open();
  TPollEngine& engine = window.Monitor().Engine;
  QProgressBar& progress = *Child<QProgressBar>("pgs");
  while (engine.Polling())
    engine.tmSubTimer();
  QCoreApplication::processEvents();
  const PaintCounter counter(progress);

  engine.Timer1Timer();
  while (engine.Polling())
    engine.tmSubTimer();
  EXPECT_EQ(counter.paints, 0);
  EXPECT_EQ(progress.value(), 0); // back at the start when the cycle ends
  QCoreApplication::processEvents();
  EXPECT_GE(counter.paints, 1);
}

TEST_F(FrmMainViewsTest, TrayClicksSelectTheServerAndToggleTheWindow) {
  TfrmMain& window = Open();
  Add("10.0.0.1", "A");
  Add("10.0.0.2", "B", {"anna"});
  window.RefreshServers();
  ASSERT_TRUE(window.isVisible());

  // The first click after start is on the icon "clicked last": it hides.
  window.Tray().tiClick();
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(SelectedCaption(), "B"); // the first server where somebody plays
  EXPECT_EQ(FocusedCaption(), "B");
  EXPECT_EQ(Column(Players(), 0), (QStringList{"anna"}));

  window.Tray().tiClick();
  EXPECT_TRUE(window.isVisible());
}

// The player list is a stop of the Tab key: its rows can be chosen and
// copied without a mouse.
TEST_F(FrmMainViewsTest, TabMovesTheFocusBetweenTheServerAndThePlayerViews) {
  TfrmMain& window = Open();
  Add("10.0.0.1", "A", {"anna", "bert"});
  window.RefreshServers();
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  Servers().setFocus();
  ASSERT_EQ(QApplication::focusWidget(), &Servers());

  QTest::keyClick(&Servers(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), &Players());
  QTest::keyClick(&Players(), Qt::Key_Down);
  QTest::keyClick(&Players(), Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(), Players().currentItem()->text(0));
  QTest::keyClick(&Players(), Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(), &Servers());
}

TEST_F(FrmMainViewsTest, ARemovedServerLeavesNoReferenceBehind) {
  TfrmMain& window = Open();
  Add("10.0.0.1", "A", {"anna"});
  TServer& b = Add("10.0.0.2", "B", {"bert"});
  window.RefreshServers();
  window.SelectServer(b);
  ASSERT_EQ(window.ShownServer(), &b);

  TServerList& live = window.Monitor().Servers;
  live.Delete(1);                           // as the end of a cycle drops a long-silent server
  EXPECT_EQ(window.ShownServer(), nullptr); // its row is still there until the refresh
  window.mnGoClick();
  window.mnServerStatsClick();
  window.RefreshServers();
  EXPECT_EQ(Column(Servers(), 0), (QStringList{"A"}));
  EXPECT_EQ(window.ShownServer(), &live.Items(0));
  EXPECT_EQ(Column(Players(), 0), (QStringList{"anna"}));
}

} // namespace
