#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/NotifyFixture.h"
#include "tests/support/TempDir.h"
#include "util/data_folders.h"

namespace {

using namespace notify_fixture;

// The channels of the events: balloons, sound and tray icons, in order.
class NotifyTest : public NotifyFixture {};

TEST_F(NotifyTest, OrderOfActionsThroughAServersLife) {
  TServerList live, known, pending;
  auto stored = Make();
  known.Add(std::move(stored));
  TAddress polled(games, "10.0.0.255", 0, kQ3);

  // First answer: online (own icon), listed, logged, announced.
  RouteReply(live, known, pending, events.Roles(), polled, "10.0.0.5", 27960, 0,
             Q3Reply("Arena", {"A", "B"}), kStart);
  ASSERT_EQ(live.Count(), 1);
  EXPECT_EQ(Take(), (Lines{
                        "AcquireTrayIcon 0",
                        "ShowTrayIcon 0 hint= -  (2) count=2 image=3",
                        "RefreshTray",
                        "Log Q3 server \"Arena\" (10.0.0.5) is online",
                        "ShowBalloon 0 title=Skarvel text=Q3 server \"Arena\" (10.0.0.5) is online",
                    }));

  // The first commit brings the first players: the sound plays.
  TServer& server = live.Items(0);
  live.CommitAnswered(kStart);
  EXPECT_EQ(Take(), (Lines{
                        "Log Player A entered Q3 server \"Arena\" (10.0.0.5)",
                        "Log Player B entered Q3 server \"Arena\" (10.0.0.5)",
                        "RefreshPlayers 10.0.0.5",
                        "PlaySound " + folder.file("users.wav"),
                        "ShowTrayIcon 0 hint=Arena - q3dm17 (2) count=2 image=3",
                        "RefreshTray",
                        "ShowBalloon 0 title=Arena Box (Q3) text=Players online: A,B",
                        "NotifyStatistics 10.0.0.5",
                    }));

  // Entered and left in one commit; entered first everywhere.
  Pass(server, {"B", "C", "D"}, kStart + 3 * kSecond);
  EXPECT_EQ(Take(),
            (Lines{
                "Log Player C entered Q3 server \"Arena\" (10.0.0.5)",
                "Log Player D entered Q3 server \"Arena\" (10.0.0.5)",
                "Log Player A left Q3 server \"Arena\" (10.0.0.5)",
                "RefreshPlayers 10.0.0.5",
                "ShowTrayIcon 0 hint=Arena - q3dm17 (3) count=3 image=3",
                "RefreshTray",
                "ShowBalloon 0 title=Arena Box (Q3) text=Players online: C,D\r\nPlayers offline: A",
                "NotifyStatistics 10.0.0.5",
            }));

  // Silent at the end of a cycle: hidden, nothing said.
  live.ResetCycle();
  live.MarkSilentOffline();
  live.RemoveExpired(kStart + 6 * kSecond, 3000);
  EXPECT_EQ(Take(), (Lines{"HideTrayIcon 0", "RefreshTray"}));

  // Removed: said, then the icon goes back.
  live.MarkSilentOffline();
  live.RemoveExpired(kStart + 10 * kSecond, 3000);
  EXPECT_EQ(live.Count(), 0);
  EXPECT_EQ(Take(), (Lines{"Log Q3 server \"Arena\" (10.0.0.5) is offline", "ReleaseTrayIcon 0"}));
}

TEST_F(NotifyTest, SoundPlaysOnlyWhenAnEmptyServerGetsPlayers) {
  const auto server = Make(false, false);
  server->SetOnline(true);
  Pass(*server, {}, kStart);
  Pass(*server, {"A"}, kStart + kSecond);
  Pass(*server, {"A", "B"}, kStart + 2 * kSecond);
  Pass(*server, {}, kStart + 3 * kSecond);
  Pass(*server, {"C"}, kStart + 4 * kSecond);
  Lines sounds;
  for (const std::string& call : Take())
    if (call.starts_with("PlaySound"))
      sounds.push_back(call);
  EXPECT_EQ(sounds, Lines(2, "PlaySound " + folder.file("users.wav")));
}

TEST_F(NotifyTest, SoundFileFollowsItsPrecedence) {
  struct Case {
    std::string own, game, setting;
    std::string expected; // empty: no sound
  };
  const std::vector<Case> cases = {
      {"", "", "users.wav", folder.file("users.wav")},
      {"", "q3.wav", "users.wav", folder.file("q3.wav")},
      {"/sounds/own.wav", "q3.wav", "users.wav", "/sounds/own.wav"},
      {"", "", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    games.Items(kQ3).Sound = c.game;
    AppSettings.OnlineSound = c.setting;
    const auto server = Make();
    server->Sound = c.own;
    server->PlayOnlineSound();
    EXPECT_EQ(events.Take(), c.expected.empty() ? Lines{} : Lines{"PlaySound " + c.expected});
  }
}

// A sound named without a folder is the program folder's, else the one an
// installed copy ships.
TEST_F(NotifyTest, TheProgramFolderSoundHidesTheInstalledOne) {
  TempDir installed;
  SetInstalledFolder(TDataKind::Sound, installed.path().string());
  installed.write("users.wav", "shipped");
  AppSettings.OnlineSound = "users.wav";
  const auto server = Make();
  server->PlayOnlineSound();
  EXPECT_EQ(events.Take(), Lines{"PlaySound " + installed.file("users.wav")});
  folder.write("users.wav", "mine");
  server->PlayOnlineSound();
  EXPECT_EQ(events.Take(), Lines{"PlaySound " + folder.file("users.wav")});
  SetInstalledFolder(TDataKind::Sound, "");
}

TEST_F(NotifyTest, PopupsNeedTheGlobalSwitchTheServerOptionAndPlayerTips) {
  struct Case {
    bool popupMessages, popup, playerTips;
    bool onlineBalloon, playersBalloon;
  };
  const std::vector<Case> cases = {
      {true, true, true, true, true},      {true, true, false, true, false},
      {true, false, true, false, false},   {false, true, true, false, false},
      {false, false, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.popupMessages) + std::to_string(c.popup) +
                 std::to_string(c.playerTips));
    AppSettings.PopupMessages = c.popupMessages;
    auto server = Make(c.popup, c.playerTips);
    server->ApplyReply(0, Q3Reply("Arena", {"A"}), kStart);
    server->NotifyOnline();
    server->CommitPass(kStart);
    int onlineBalloons = 0, playersBalloons = 0, logLines = 0;
    for (const std::string& call : Take()) {
      onlineBalloons += call.starts_with("ShowBalloon 0 title=Skarvel ");
      playersBalloons += call.starts_with("ShowBalloon 0 title=Arena Box (Q3) ");
      logLines += call.starts_with("Log ");
    }
    EXPECT_EQ(onlineBalloons, c.onlineBalloon ? 1 : 0);
    EXPECT_EQ(playersBalloons, c.playersBalloon ? 1 : 0);
    EXPECT_EQ(logLines, 2); // logged whatever the popup settings
  }
}

TEST_F(NotifyTest, PlayersSummaryText) {
  struct Case {
    Roster before, after;
    std::string text; // empty: no balloon
  };
  const std::vector<Case> cases = {
      {{}, {"A", "B"}, "Players online: A,B"},
      {{"A"}, {"B"}, "Players online: B\r\nPlayers offline: A"},
      {{"A", "B"}, {}, "Players offline: A,B"},
      {{"A"}, {"A"}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    auto server = Make(true, true, 0);
    server->SetOnline(true);
    Pass(*server, c.before, kStart);
    Take();
    Pass(*server, c.after, kStart + kSecond);
    Lines balloons;
    for (const std::string& call : Take())
      if (call.starts_with("ShowBalloon"))
        balloons.push_back(call);
    EXPECT_EQ(balloons, c.text.empty()
                            ? Lines{}
                            : Lines{"ShowBalloon -1 title=Arena Box (Q3) text=" + c.text});
  }
}

TEST_F(NotifyTest, BalloonGoesToTheOwnIconOnlyInOwnIconMode) {
  struct Case {
    uint8_t trayMode;
    bool online;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {1, true, "ShowBalloon 0 title=T text=x"},
      {0, true, "ShowBalloon -1 title=T text=x"},
      {2, true, "ShowBalloon -1 title=T text=x"},
      {3, true, "ShowBalloon -1 title=T text=x"},
      {1, false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.trayMode));
    auto server = Make(true, true, c.trayMode);
    server->SetOnline(c.online);
    events.Take();
    server->ShowPopup("x", "T");
    EXPECT_EQ(events.Take(), c.expected.empty() ? Lines{} : Lines{c.expected});
  }
}

TEST_F(NotifyTest, TrayIconFollowsTheTrayMode) {
  auto server = Make(false, false, 1);
  server->SetOnline(true);
  server->ApplyReply(0, Q3Reply("Arena", {}), kStart);
  events.Take();

  server->UpdateTrayIcon();
  EXPECT_EQ(events.Take(), (Lines{"ShowTrayIcon 0 hint= -  (0) count=0 image=3", "RefreshTray"}));

  // As after the properties dialog: to the common icon, then back to an own one.
  server->TrayMode = kTrayCommonIcon;
  server->UpdateTrayIcon();
  EXPECT_EQ(events.Take(), (Lines{"ReleaseTrayIcon 0", "RefreshTray"}));
  EXPECT_EQ(server->TrayIcon, TServer::kNoTrayIcon);
  server->UpdateTrayIcon();
  EXPECT_EQ(events.Take(), Lines{"RefreshTray"});
  server->TrayMode = kTrayOwnIcon;
  server->Online = false;
  server->UpdateTrayIcon();
  EXPECT_EQ(events.Take(), (Lines{"AcquireTrayIcon 0", "HideTrayIcon 0", "RefreshTray"}));
}

TEST_F(NotifyTest, CommitTouchesTheTrayByMode) {
  struct Case {
    uint8_t trayMode;
    Lines tray;
  };
  const std::vector<Case> cases = {
      {0, {"RefreshTray"}},
      {1, {"ShowTrayIcon 0 hint=Arena - q3dm17 (0) count=0 image=3", "RefreshTray"}},
      {2, {"RefreshTray"}},
      {3, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.trayMode));
    auto server = Make(false, false, c.trayMode);
    server->SetOnline(true);
    server->ApplyReply(0, Q3Reply("Arena", {}), kStart);
    Take();
    server->CommitPass(kStart);
    EXPECT_EQ(server->TrayIcon != TServer::kNoTrayIcon, c.trayMode == kTrayOwnIcon);
    Lines expected = c.tray;
    expected.push_back("NotifyStatistics 10.0.0.5");
    EXPECT_EQ(Take(), expected);
  }
}

} // namespace
