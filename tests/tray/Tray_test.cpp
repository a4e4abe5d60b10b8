#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QSystemTrayIcon>

#include <gtest/gtest.h>

#include "config/BuddyList.h"
#include "tests/tray/TrayFixture.h"
#include "tray/CounterIcon.h"
#include "tray/TrayArt.h"
#include "tray/TrayState.h"

namespace {

struct TListedServer {
  uint8_t trayMode;
  int players;
  bool online = true;
};

struct TCommonIconCase {
  const char* name;
  std::vector<TListedServer> servers;
  bool digits;
  // What the common icon shows: hidden, a state image, or a counter.
  bool visible;
  int stateImage; // -1: a counter
  int counter;
  QString hint;
};

void PrintTo(const TCommonIconCase& c, std::ostream* out) {
  *out << c.name;
}

class TrayCommonIconTest : public TrayTest,
                           public ::testing::WithParamInterface<TCommonIconCase> {};

TEST_P(TrayCommonIconTest, ShowsTheStateOfTheServersItStandsFor) {
  const TCommonIconCase& c = GetParam();
  AppSettings.Digits = c.digits;
  int host = 1;
  for (const TListedServer& listed : c.servers) {
    TServer& server = Add("10.0.0." + std::to_string(host++), listed.trayMode, listed.players);
    if (!listed.online)
      server.SetOnline(false);
  }
  tray->RefreshTray();

  const QSystemTrayIcon& ti = tray->CommonIcon();
  EXPECT_EQ(ti.isVisible(), c.visible);
  if (c.visible) {
    const QIcon expected =
        c.stateImage >= 0 ? TrayStateImage(c.stateImage) : CounterIcon(c.counter).value();
    EXPECT_EQ(Pixels(ti.icon()), Pixels(expected));
  }
  EXPECT_EQ(ti.toolTip(), c.hint);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TrayCommonIconTest,
    ::testing::Values(
        TCommonIconCase{"NoneOnline", {{0, 3, false}}, true, true, 0, 0, "No servers"},
        TCommonIconCase{"OnlineNobodyPlays", {{0, 0}}, true, true, 1, 0, "Arena - q3dm17 (0)"},
        TCommonIconCase{"ThreeAndFourWithDigits",
                        {{0, 3}, {0, 4}},
                        true,
                        true,
                        -1,
                        7,
                        "Arena - q3dm17 (3)\nArena - q3dm17 (4)"},
        TCommonIconCase{"TwelveAndHundredTwentyShowNinetyNine",
                        {{0, 12}, {0, 120}},
                        true,
                        true,
                        -1,
                        99,
                        "Arena - q3dm17 (12)\nArena - q3dm17 (120)"},
        TCommonIconCase{"PlayersWithoutDigits", {{0, 2}}, false, true, 2, 0, "Arena - q3dm17 (2)"},
        TCommonIconCase{"OnlyOwnIcons", {{1, 2}, {1, 0}}, true, false, 0, 0, "No servers"},
        TCommonIconCase{"OnlyWithoutIcon", {{2, 5}}, true, true, 0, 0, "Arena - q3dm17 (5)"},
        TCommonIconCase{"OwnAndCommon", {{1, 5}, {0, 0}}, true, true, 1, 0, "Arena - q3dm17 (0)"}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(TrayTest, MenuListsTheFirstSixteenOnlineServersAndTheHintTheirCommonOnes) {
  for (int i = 0; i < 20; ++i)
    Add("10.0.0." + std::to_string(i + 1), static_cast<uint8_t>(i % 3), i, "S" + std::to_string(i));
  servers.Items(3).SetOnline(false);
  tray->RefreshTray();

  QStringList expectedHint;
  int entry = 0;
  for (int i = 0; i < 20 && entry < 16; ++i) {
    if (i == 3)
      continue;
    SCOPED_TRACE(i);
    const QString host = QStringLiteral("10.0.0.%1").arg(i + 1);
    EXPECT_TRUE(tray->Entry(entry).isVisible());
    EXPECT_EQ(tray->Entry(entry).text(), QStringLiteral("%1 S%2 - q3dm17 (%2)").arg(host).arg(i));
    EXPECT_EQ(tray->EntryServer(entry), &servers.Items(i));
    if (i % 3 != 1)
      expectedHint << QStringLiteral("S%1 - q3dm17 (%1)").arg(i);
    ++entry;
  }
  EXPECT_EQ(tray->CommonIcon().toolTip(), expectedHint.join('\n'));

  // Fewer servers hide the entries left over.
  for (int i = 19; i >= 2; --i)
    servers.Delete(i);
  tray->RefreshTray();
  EXPECT_TRUE(tray->Entry(1).isVisible());
  for (int i = 2; i < 16; ++i)
    EXPECT_FALSE(tray->Entry(i).isVisible()) << i;
}

TEST_F(TrayTest, UnchangedMenuEntriesAreNotWrittenAgain) {
  TServer& first = Add("10.0.0.1", 0, 1);
  Add("10.0.0.2", 0, 2);
  tray->RefreshTray();
  QSignalSpy firstChanged(&tray->Entry(0), &QAction::changed);
  QSignalSpy secondChanged(&tray->Entry(1), &QAction::changed);

  Answer(first, 1); // same state again
  tray->RefreshTray();
  EXPECT_EQ(firstChanged.count(), 0);

  Answer(first, 3);
  tray->RefreshTray();
  EXPECT_GT(firstChanged.count(), 0);
  EXPECT_EQ(tray->Entry(0).text(), "10.0.0.1 Arena - q3dm17 (3)");
  EXPECT_EQ(secondChanged.count(), 0);
}

TEST_F(TrayTest, OwnIconShowsItsCountOrItsGameImageAndHidesWhileOffline) {
  TServer& server = Add("10.0.0.1", 1, 0, "Own");
  ASSERT_TRUE(tray->Pool().InUse(server.TrayIcon));
  QSystemTrayIcon* own = tray->Pool().Icon(server.TrayIcon);
  EXPECT_TRUE(own->isVisible());
  EXPECT_EQ(own->toolTip(), "Own - q3dm17 (0)");
  EXPECT_EQ(Pixels(own->icon()), Pixels(GameImage(server.EffectiveIconIndex())));

  Answer(server, 2, "Own");
  EXPECT_EQ(own->toolTip(), "Own - q3dm17 (2)");
  EXPECT_EQ(Pixels(own->icon()), Pixels(CounterIcon(2).value()));

  server.SetOnline(false);
  EXPECT_FALSE(own->isVisible());
  EXPECT_TRUE(tray->Pool().InUse(server.TrayIcon)); // still the server's
}

TEST_F(TrayTest, AnOwnIconIsDrawnAgainOnlyWhenWhatItShowsChanged) {
  TServer& server = Add("10.0.0.1", 1, 2, "Own");
  QSystemTrayIcon* own = tray->Pool().Icon(server.TrayIcon);
  const qint64 drawn = own->icon().cacheKey();
  for (int cycle = 0; cycle < 3; ++cycle)
    Answer(server, 2, "Own");
  EXPECT_EQ(own->icon().cacheKey(), drawn) << "the same count is not drawn again";

  Answer(server, 3, "Own");
  EXPECT_NE(own->icon().cacheKey(), drawn);
  EXPECT_EQ(Pixels(own->icon()), Pixels(CounterIcon(3).value()));
  EXPECT_EQ(own->toolTip(), "Own - q3dm17 (3)");

  Answer(server, 0, "Own");
  const qint64 game = own->icon().cacheKey();
  Answer(server, 0, "Own");
  EXPECT_EQ(own->icon().cacheKey(), game);
  EXPECT_EQ(Pixels(own->icon()), Pixels(GameImage(server.EffectiveIconIndex())));

  tray->Invalidate(); // settings changed: drawn once more
  Answer(server, 0, "Own");
  EXPECT_NE(own->icon().cacheKey(), game);
}

TEST_F(TrayTest, OwnIconsWithTheSameCountShareOneDrawnCounter) {
  const QIcon four = tray->Pool().Icon(Add("10.0.0.1", 1, 4, "A").TrayIcon)->icon();
  const QIcon alsoFour = tray->Pool().Icon(Add("10.0.0.2", 1, 4, "B").TrayIcon)->icon();
  const QIcon five = tray->Pool().Icon(Add("10.0.0.3", 1, 5, "C").TrayIcon)->icon();
  EXPECT_EQ(alsoFour.cacheKey(), four.cacheKey());
  EXPECT_NE(five.cacheKey(), four.cacheKey());
  EXPECT_EQ(Pixels(four), Pixels(CounterIcon(4).value()));
  EXPECT_EQ(Pixels(five), Pixels(CounterIcon(5).value()));
}

TEST_F(TrayTest, ReleasedIconGoesToTheNextServerThatNeedsOne) {
  TServer& first = Add("10.0.0.1", 1, 0);
  const int32_t icon = first.TrayIcon;
  first.TrayMode = kTrayCommonIcon;
  first.UpdateTrayIcon();
  EXPECT_FALSE(tray->Pool().InUse(icon));
  EXPECT_FALSE(tray->Pool().Icon(icon)->isVisible());

  TServer& second = Add("10.0.0.2", 1, 0);
  EXPECT_EQ(second.TrayIcon, icon);
  EXPECT_EQ(tray->Pool().Count(), 1);
  tray->OwnIconClick(icon);
  EXPECT_EQ(asked.front(), "Select 10.0.0.2");
}

TEST_F(TrayTest, ReleasingAnIconThePoolDoesNotHoldIsAnError) {
  try {
    tray->ReleaseTrayIcon(5);
    FAIL() << "no error";
  } catch (const ETrayIconNotFound& error) {
    EXPECT_STREQ(error.what(), "TTrayIconList: icon not found");
  }
}

TEST_F(TrayTest, AServerWithAnIconThePoolDoesNotHoldGoesQuietly) {
  TServer& server = Add("10.0.0.1", kTrayOwnIcon, 0);
  server.TrayIcon = 7; // the pool has one icon
  servers.Clear();     // the pool's error must not leave the destructor
  EXPECT_EQ(servers.Count(), 0);
}

TEST_F(TrayTest, SecondClickOnTheSameIconHidesAnotherIconShows) {
  TServer& own = Add("10.0.0.9", 1, 0);
  tray->tiClick(); // the first click after start, window shown
  tray->OwnIconClick(own.TrayIcon);
  tray->OwnIconClick(own.TrayIcon);
  tray->tiClick();
  EXPECT_EQ(asked, (std::vector<std::string>{"Hide", "Select 10.0.0.9", "Show", "Select 10.0.0.9",
                                             "Hide", "Show"}));
  EXPECT_EQ(tray->LastTrayTag(), TTray::kCommonIcon);
}

TEST_F(TrayTest, CommonIconClickSelectsTheFirstPopulatedServerItStandsFor) {
  Add("10.0.0.1", 1, 4); // own icon: not the common icon's
  Add("10.0.0.2", 0, 0);
  Add("10.0.0.3", 2, 3);
  Add("10.0.0.4", 0, 5);
  tray->tiClick();
  EXPECT_EQ(asked.front(), "Select 10.0.0.3");

  asked.clear();
  servers.Items(2).SetOnline(false);
  servers.Items(3).SetOnline(false);
  tray->tiClick();
  EXPECT_EQ(asked.front(), "Select 10.0.0.2"); // nobody plays: the first one
}

TEST_F(TrayTest, MenuEntrySelectsItsServerAndShowsTheWindow) {
  Add("10.0.0.1", 0, 0);
  Add("10.0.0.2", 0, 0);
  tray->RefreshTray();
  shown = false;
  tray->Entry(1).trigger();
  EXPECT_EQ(asked, (std::vector<std::string>{"Select 10.0.0.2", "Show"}));

  // An entry whose server is gone only shows the window.
  asked.clear();
  servers.Delete(1);
  tray->Entry(1).trigger();
  EXPECT_EQ(asked, (std::vector<std::string>{"Show"}));
}

TEST_F(TrayTest, AboutAndExitReachTheWindow) {
  // 16 servers, a separator, 16 buddies, a separator, About, Exit.
  const QList<QAction*> actions = tray->Menu().actions();
  ASSERT_EQ(actions.size(), 36);
  actions[34]->trigger();
  actions[35]->trigger();
  EXPECT_EQ(actions[34]->objectName(), "mnAbout");
  EXPECT_EQ(actions[35]->objectName(), "mnExit");
  EXPECT_EQ(asked, (std::vector<std::string>{"About", "Exit"}));
}

// Below the servers, the menu lists which buddies play where.
class TrayBuddyTest : public TrayTest {
protected:
  void SetUp() override {
    TrayTest::SetUp();
    Buddies.Add("p2");
    Buddies.Add("*3");
  }
  void TearDown() override {
    TrayTest::TearDown();
    Buddies.Clear();
  }
  QStringList BuddyCaptions() const {
    QStringList captions;
    for (int i = 0; i < 16; ++i)
      if (tray->BuddyEntry(i).isVisible())
        captions << tray->BuddyEntry(i).text();
    return captions;
  }
  bool SeparatorShown() const {
    return tray->Menu().actions().at(16)->isSeparator() &&
           tray->Menu().actions().at(16)->isVisible();
  }
};

TEST_F(TrayBuddyTest, MenuListsBuddiesByServerAndFollowsThem) {
  Add("10.0.0.1", kTrayCommonIcon, 1, "Empty of buddies");
  TServer& rail = Add("10.0.0.2", kTrayCommonIcon, 3, "Rail");
  Add("10.0.0.3", kTrayOwnIcon, 2, "Dust");
  tray->RefreshTray();
  EXPECT_EQ(BuddyCaptions(), (QStringList{"p2 @ Rail", "p3 @ Rail", "p2 @ Dust"}));
  EXPECT_TRUE(SeparatorShown());

  // Other players, as many as before: the entries still follow.
  rail.AnsweredInPass = false;
  rail.ApplyReply(0, notify_fixture::Q3Reply("Rail", {"a", "b", "player3"}),
                  notify_fixture::kStart);
  rail.CommitPass(notify_fixture::kStart);
  tray->RefreshTray();
  EXPECT_EQ(BuddyCaptions(), (QStringList{"player3 @ Rail", "p2 @ Dust"}));

  // A click shows the buddy's server.
  asked.clear();
  tray->BuddyEntry(1).trigger();
  EXPECT_EQ(asked, (std::vector<std::string>{"Select 10.0.0.3", "Show"}));

  // No buddy playing: no entries, no separator.
  servers.Delete(2);
  servers.Delete(1);
  tray->RefreshTray();
  EXPECT_EQ(BuddyCaptions(), QStringList{});
  EXPECT_FALSE(SeparatorShown());
}

TEST_F(TrayTest, TrayStateOfAnEmptyListCountsNothing) {
  const TTrayState state = ComputeTrayState(servers, true);
  EXPECT_EQ(state.Common, TTrayState::TCommonIcon::StateImage);
  EXPECT_EQ(state.StateImage, 0);
  EXPECT_TRUE(state.Entries.empty());
  EXPECT_TRUE(state.HintLines.empty());
}

} // namespace
