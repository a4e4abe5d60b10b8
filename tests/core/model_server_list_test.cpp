#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "config/AppSettings.h"
#include "config/IniFile.h"
#include "config/SettingsFile.h"
#include "games/game.h"
#include "model/server.h"
#include "protocols/builtin_games.h"
#include "tests/support/RecordingServerEvents.h"
#include "tests/support/ScratchProgramFolder.h"

namespace {

constexpr int32_t kUT = 0;
constexpr int32_t kQ3 = 3;
constexpr int32_t kCS = 4;
constexpr int32_t kCSS = 6;

constexpr double kMillisecond = 1.0 / 86400000.0;
constexpr TDateTime kStart = 45000.25; // any day, six in the morning

std::string Q3Reply(const std::string& name) {
  return "\xFF\xFF\xFF\xFF"
         "statusResponse\n\\sv_hostname\\" +
         name + "\\mapname\\q3dm17\\fraglimit\\20\\sv_maxclients\\16\n12 50 \"Bob\"\n";
}
// The first answer of the Source engine handshake: a challenge, no server data yet.
const std::string kCssChallenge = std::string("\xFF\xFF\xFF\xFF"
                                              "A\x01\x02\x03\x04");

class FakeIcons : public IGameIcons {
public:
  int32_t AddIconFile(const std::string& path) override {
    return path.find("/good") != std::string::npos ? 100 : -1;
  }
};

// "host port key tray=N options [description]" for every entry, in order.
std::vector<std::string> Summary(const TServerList& list) {
  std::vector<std::string> lines;
  for (int32_t i = 0; i < list.Count(); ++i) {
    const TServer& s = list.Items(i);
    std::string line = s.Host + " " + std::to_string(s.Port) + " " + s.Defs.Key +
                       " tray=" + std::to_string(s.TrayMode) + " " + (s.Popup ? "1" : "0") +
                       (s.PlayerTips ? "1" : "0") + (s.RealPlayersNumber ? "1" : "0");
    if (!s.Description.empty())
      line += " " + s.Description;
    lines.push_back(line);
  }
  return lines;
}

class ServerListTest : public ::testing::Test {
protected:
  void SetUp() override { games.LoadGames(BuiltinGames(), THostInfo{}); }

  // Loads the way start-up does: inside its settings bracket.
  void Load(const std::string& ini, bool migrate = false) {
    folder.write("skarvel.ini", ini);
    WithIni([&] { known.LoadFromIni(games, events.Roles(), &icons, migrate, kStart); });
  }
  std::unique_ptr<TServer> Make(const std::string& host, int32_t port, int32_t gameId) {
    return TServer::CreateFromStore(games, events.Roles(), host, port, gameId, kStart);
  }
  TServer::TReplyResult Route(const TAddress& polled, const std::string& sourceIp, int32_t gamePort,
                              const std::string& bytes, TDateTime now, int32_t step = 0) {
    return RouteReply(live, known, pending, events.Roles(), polled, sourceIp, gamePort, step, bytes,
                      now);
  }

  ScratchProgramFolder folder;
  TGameList games;
  RecordingServerEvents events;
  FakeIcons icons;
  TServerList live;
  TServerList known;
  TServerList pending;
};

class RouteReplyTest : public ServerListTest {};

TEST_F(ServerListTest, ServersAreToldApartByHostPortAndGame) {
  live.Add(Make("10.0.0.5", 27960, kQ3));
  live.Add(Make("10.0.0.5", 27960, kCS));
  live.Add(Make("10.0.0.5", 27961, kQ3));
  EXPECT_EQ(live.Find("10.0.0.5", 27960, kQ3), &live.Items(0));
  EXPECT_EQ(live.Find("10.0.0.5", 27960, kCS), &live.Items(1));
  EXPECT_EQ(live.Find("10.0.0.5", 27961, kQ3), &live.Items(2));
  EXPECT_EQ(live.Find("10.0.0.50", 27960, kQ3), nullptr);
  EXPECT_EQ(live.Find("10.0.0.5", 27960, kUT), nullptr);

  live.Delete(1);
  EXPECT_EQ(live.Count(), 2);
  EXPECT_EQ(live.Find("10.0.0.5", 27960, kCS), nullptr);
  EXPECT_EQ(live.Find("10.0.0.5", 27961, kQ3), &live.Items(1));
}

TEST_F(ServerListTest, FindFollowsAPortChangedAfterTheServerWasAdded) {
  live.Add(Make("10.0.0.5", 7778, kUT));
  live.Add(Make("10.0.0.6", 7778, kUT));
  live.Items(0).Port = 7777; // as the one-time port correction does
  EXPECT_EQ(live.Find("10.0.0.5", 7777, kUT), &live.Items(0));
  EXPECT_EQ(live.Find("10.0.0.5", 7778, kUT), nullptr);
  live.Clear();
  EXPECT_EQ(live.Find("10.0.0.6", 7778, kUT), nullptr);
  live.Add(Make("10.0.0.6", 7778, kUT));
  EXPECT_EQ(live.Find("10.0.0.6", 7778, kUT), &live.Items(0));
}

TEST_F(ServerListTest, LoadReadsKeysInOrderAndSkipsUnknownOrRepeatedOnes) {
  Load("[Description]\n"
       "10.0.0.5:27961,q3=Desk,,,,2,1,0,1\n"
       "10.0.0.6,nogame=Lost,,,,1,1,1,1\n"
       "10.0.0.7,ut=Old,,,\n"
       "10.0.0.5:27961,Q3=Again,,,,1,0,0,0\n"
       "10.0.0.8,cs=Three,,,,3\n"
       "10.0.0.9,q3=Broken,,,,,0,0,0\n"
       "localhost,css=Local,,,,1,0,0,0\n"
       "host.invalid,q3=Nowhere,,,,1,0,0,0\n");
  EXPECT_EQ(Summary(known),
            (std::vector<std::string>{
                "10.0.0.5 27961 q3 tray=2 101 Desk",
                "10.0.0.7 7777 ut tray=0 111 Old", // items 4 to 7 missing
                "10.0.0.8 27015 cs tray=3 111 Three",
                "10.0.0.9 27960 q3 tray=1 000 Broken",  // stops at the empty item
                "127.0.0.1 27015 css tray=1 000 Local", // found under the key as written
            }));
  for (int32_t i = 0; i < known.Count(); ++i)
    EXPECT_EQ(known.Items(i).LastReply, kStart);
  EXPECT_TRUE(events.calls.empty());
}

TEST_F(ServerListTest, KeysSpelledOtherwiseKeepTheirPropertiesAndAreSavedCanonically) {
  const struct {
    std::string lines;
    std::string entry;
  } cases[] = {
      {"10.0.0.5:27960,q3=Desk,,,,2,0,0,0\n", "10.0.0.5 27960 q3 tray=2 000 Desk"},
      {"LOCALHOST:27960,Q3=Desk,,,,2,0,0,0\n", "127.0.0.1 27960 q3 tray=2 000 Desk"},
      // The canonical key, wherever it stands, comes first.
      {"localhost,q3=Desk,,,,2,0,0,0\n127.0.0.1,q3=Canonical,,,,1,1,1,1\n",
       "127.0.0.1 27960 q3 tray=1 111 Canonical"},
      // A line without "=": a server with the defaults of a stored entry.
      {"127.0.0.1,q3\n", "127.0.0.1 27960 q3 tray=0 111"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lines);
    Load("[Description]\n" + c.lines);
    EXPECT_EQ(Summary(known), std::vector<std::string>{c.entry});
  }

  Load("[Description]\n10.0.0.5:27960,q3=Desk,,,,2,0,0,0\n");
  known.SaveToIni();
  EXPECT_EQ(folder.read("skarvel.ini"), "[Description]\n10.0.0.5,q3=Desk,,,,2,0,0,0\n");
}

TEST_F(ServerListTest, SavingOneServerGivesALineWithoutEqualsItsValueInPlace) {
  // As the server properties dialog saves: one entry, the others untouched.
  Load("[Description]\n127.0.0.1,q3\n10.0.0.1,ut=Other,,,,0,1,1,1\n");
  known.Items(0).Description = "Mine";
  WithIni([&] { known.Items(0).SaveProperties(Ini()); });
  EXPECT_EQ(folder.read("skarvel.ini"),
            "[Description]\n127.0.0.1,q3=Mine,,,,0,1,1,1\n10.0.0.1,ut=Other,,,,0,1,1,1\n");
}

TEST_F(ServerListTest, MigrationLowersUnrealPortsAndSaves) {
  const std::string ini = "[Common]\n"
                          "Interval=3000\n"
                          "[Description]\n"
                          "10.0.0.5:7778,ut=A,,,,1,1,1,1\n"
                          "10.0.0.6,ut=B,,,,1,1,1,1\n"
                          "10.0.0.7:7790,u4=C,,,,1,1,1,1\n"
                          "10.0.0.8:27961,q3=D,,,,1,1,1,1\n";
  Load(ini, false);
  EXPECT_EQ(folder.read("skarvel.ini"), ini);
  EXPECT_EQ(known.Items(0).Port, 7778);

  Load(ini, true);
  EXPECT_EQ(Summary(known), (std::vector<std::string>{
                                "10.0.0.5 7777 ut tray=1 111 A",
                                "10.0.0.6 7777 ut tray=1 111 B",
                                "10.0.0.7 7789 u4 tray=1 111 C",
                                "10.0.0.8 27961 q3 tray=1 111 D",
                            }));
  const TIniFile saved(folder.file("skarvel.ini"));
  EXPECT_EQ(saved.ReadSection("Description"),
            (std::vector<std::string>{"10.0.0.5,ut", "10.0.0.6,ut", "10.0.0.7:7789,u4",
                                      "10.0.0.8:27961,q3"}));
  EXPECT_EQ(saved.ReadRawString("Description", "10.0.0.5,ut", ""), "A,,,,1,1,1,1");
  EXPECT_EQ(saved.ReadInteger("Common", "Interval", 0), 3000);
}

TEST_F(ServerListTest, SaveReplacesTheSection) {
  folder.write("skarvel.ini", "[Description]\n"
                              "10.0.0.1,q3=Gone,,,,1,1,1,1\n"
                              "[Other]\n"
                              "Kept=1\n");
  auto first = Make("10.0.0.5", 27961, kQ3);
  first->Description = "First one";
  first->TrayMode = kTrayCommonIcon;
  known.Add(std::move(first));
  known.Add(Make("10.0.0.6", 0, kUT));
  known.SaveToIni();

  const TIniFile saved(folder.file("skarvel.ini"));
  EXPECT_EQ(saved.ReadSection("Description"),
            (std::vector<std::string>{"10.0.0.5:27961,q3", "10.0.0.6,ut"}));
  EXPECT_EQ(saved.ReadRawString("Description", "10.0.0.5:27961,q3", ""),
            "\"First one\",,,,0,0,0,0");
  EXPECT_EQ(saved.ReadRawString("Description", "10.0.0.6,ut", ""), ",,,,1,0,0,0");
  EXPECT_EQ(saved.ReadString("Other", "Kept", ""), "1");
}

TEST_F(ServerListTest, PassAndCycleFlagsDecideWhoIsCommittedAndWhoGoesSilent) {
  AppSettings.TrayNew = kTrayNoIcon;
  TAddress polled(games, "10.0.0.255", 0, kQ3);
  Route(polled, "10.0.0.5", 27960, Q3Reply("First"), kStart);
  Route(polled, "10.0.0.6", 27960, Q3Reply("Second"), kStart);
  live.CommitAnswered(kStart);
  EXPECT_EQ(live.Items(0).Info[SKARVEL_INFO_NAME], "First");
  EXPECT_EQ(live.Items(1).Info[SKARVEL_INFO_NAME], "Second");

  // Next cycle: only the second answers.
  live.ResetCycle();
  live.ResetPass();
  EXPECT_FALSE(live.Items(0).AnsweredInCycle || live.Items(0).AnsweredInPass);
  EXPECT_EQ(live.Items(0).Challenge, 0);
  Route(polled, "10.0.0.6", 27960, Q3Reply("Renamed"), kStart + 3000 * kMillisecond);
  live.Items(0).NewInfo[SKARVEL_INFO_NAME] = "Not committed";
  live.CommitAnswered(kStart + 3000 * kMillisecond);
  EXPECT_EQ(live.Items(0).Info[SKARVEL_INFO_NAME], "First");
  EXPECT_EQ(live.Items(1).Info[SKARVEL_INFO_NAME], "Renamed");

  live.MarkSilentOffline();
  EXPECT_FALSE(live.Items(0).Online);
  EXPECT_TRUE(live.Items(1).Online);
  EXPECT_EQ(live.Count(), 2); // silent servers stay listed
}

TEST_F(ServerListTest, OfflineThresholdIsTwiceTheWholeSecondsOfTheInterval) {
  struct Case {
    int32_t intervalMs;
    int32_t silenceMs;
    bool removed;
  };
  const std::vector<Case> cases = {
      {3000, 5999, false}, {3000, 6000, false}, {3000, 6001, true},
      {2500, 4000, false}, {2500, 4001, true},  {999, 0, false},
      {999, 1, true},      {1000, 2000, false}, {1000, 2001, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.intervalMs) + " ms, silent " + std::to_string(c.silenceMs));
    live.Clear();
    live.Add(Make("10.0.0.5", 0, kQ3));
    live.RemoveExpired(kStart + c.silenceMs * kMillisecond, c.intervalMs);
    EXPECT_EQ(live.Count(), c.removed ? 0 : 1);
  }
}

TEST_F(ServerListTest, ExpiredServersAreRemovedFromTheLastToTheFirst) {
  AppSettings.TrayNew = kTrayOwnIcon;
  for (const char* host : {"10.0.0.1", "10.0.0.2", "10.0.0.3"}) {
    live.Add(Make(host, 0, kQ3));
    live.Items(live.Count() - 1).SetOnline(true);
  }
  live.Items(1).LastReply = kStart + 5000 * kMillisecond;
  events.Take();
  live.RemoveExpired(kStart + 7000 * kMillisecond, 3000);
  EXPECT_EQ(events.Take(), (std::vector<std::string>{"ReleaseTrayIcon 2", "ReleaseTrayIcon 0"}));
  ASSERT_EQ(live.Count(), 1);
  EXPECT_EQ(live.Items(0).Host, "10.0.0.2");
}

TEST_F(ServerListTest, CountsForTheTray) {
  struct Entry {
    bool online;
    uint8_t trayMode;
    const char* players; // the reported number
  };
  struct Case {
    std::vector<Entry> servers;
    int32_t online, commonOnline, commonPlayers;
    bool allOwn;
  };
  const std::vector<Case> cases = {
      {{}, 0, 0, 0, false},
      {{{true, 1, "2"}}, 1, 0, 0, true},
      {{{true, 1, "2"}, {false, 0, "5"}}, 1, 0, 0, true},
      {{{true, 1, "2"}, {true, 2, "1"}}, 2, 0, 0, true},
      {{{true, 1, "2"}, {true, 0, "3"}, {true, 0, "4"}}, 3, 2, 7, false},
      {{{true, 2, "2"}}, 1, 0, 0, false},
      {{{true, 3, "2"}}, 1, 0, 0, false},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(i);
    const Case& c = cases[i];
    live.Clear();
    for (const Entry& entry : c.servers) {
      auto server = Make("10.0.0." + std::to_string(live.Count() + 1), 0, kQ3);
      server->Online = entry.online;
      server->TrayMode = entry.trayMode;
      server->NewInfo[SKARVEL_INFO_PLAYERS] = entry.players;
      live.Add(std::move(server));
    }
    EXPECT_EQ(live.OnlineCount(), c.online);
    EXPECT_EQ(live.CommonOnlineCount(), c.commonOnline);
    EXPECT_EQ(live.CommonPlayerCount(), c.commonPlayers);
    EXPECT_EQ(live.AllOnlineHaveOwnIcon(), c.allOwn);
  }
}

TEST_F(RouteReplyTest, ListedReplyAddsALiveServerAtOnce) {
  AppSettings.TrayNew = kTrayOwnIcon;
  TAddress polled(games, "10.0.0.255", 0, kQ3);
  const auto result = Route(polled, "10.0.0.5", 27961, Q3Reply("Arena"), kStart);
  EXPECT_EQ(result.Result, SKARVEL_PARSE_COMPLETE);
  EXPECT_TRUE(result.Listed);
  ASSERT_EQ(live.Count(), 1);
  EXPECT_EQ(pending.Count(), 0);
  const TServer& server = live.Items(0);
  EXPECT_EQ(server.Host, "10.0.0.5");
  EXPECT_EQ(server.Port, 27961);
  EXPECT_TRUE(server.Online);
  EXPECT_EQ(server.NewInfo[SKARVEL_INFO_NAME], "Arena");
  EXPECT_EQ(events.Take(), (std::vector<std::string>{
                               "AcquireTrayIcon 0", "ShowTrayIcon 0 hint= -  (1) count=1 image=3",
                               "RefreshTray"})); // Popup is off for a server never seen

  // The next datagram goes to the listed server.
  Route(polled, "10.0.0.5", 27961, Q3Reply("Arena 2"), kStart + kMillisecond);
  ASSERT_EQ(live.Count(), 1);
  EXPECT_EQ(live.Items(0).NewInfo[SKARVEL_INFO_NAME], "Arena 2");
  EXPECT_EQ(live.Items(0).LastReply, kStart + kMillisecond);
}

TEST_F(RouteReplyTest, UnlistedReplyKeepsACopyPendingAndRaisesNoEvent) {
  AppSettings.TrayNew = kTrayOwnIcon;
  TAddress polled(games, "10.0.0.255", 0, kCSS);
  const auto result = Route(polled, "10.0.0.5", 27015, kCssChallenge, kStart);
  EXPECT_EQ(result.Result, SKARVEL_PARSE_COMPLETE);
  EXPECT_FALSE(result.Listed);
  EXPECT_EQ(live.Count(), 0);
  ASSERT_EQ(pending.Count(), 1);
  EXPECT_EQ(pending.Items(0).Host, "10.0.0.5");
  EXPECT_EQ(pending.Items(0).TrayIcon, TServer::kNoTrayIcon);
  EXPECT_FALSE(pending.Items(0).Online);
  // The discarded object gave its icon back; the copy holds none.
  EXPECT_EQ(events.Take(), (std::vector<std::string>{"AcquireTrayIcon 0",
                                                     "ShowTrayIcon 0 hint= -  (0) count=0 image=6",
                                                     "RefreshTray", "ReleaseTrayIcon 0"}));
}

TEST_F(RouteReplyTest, RejectedReplyLeavesNoTrace) {
  TAddress polled(games, "10.0.0.255", 0, kQ3);
  const auto result = Route(polled, "10.0.0.5", 27960, "\xFF\xFF\xFF\xFFnothing useful", kStart);
  EXPECT_EQ(result.Result, SKARVEL_PARSE_NOT_OURS);
  EXPECT_EQ(live.Count() + pending.Count(), 0);
  EXPECT_TRUE(events.calls.empty());
}

TEST_F(RouteReplyTest, KnownServerGetsItsStoredPropertiesBack) {
  AppSettings.TrayNew = kTrayOwnIcon;
  Load("[Description]\n"
       "10.0.0.5,q3=Known,,,,0,1,1,0\n");
  TAddress polled(games, "10.0.0.255", 0, kQ3);
  polled.Description = "LAN";
  Route(polled, "10.0.0.5", 27960, Q3Reply("Arena"), kStart);
  ASSERT_EQ(live.Count(), 1);
  EXPECT_EQ(Summary(live), std::vector<std::string>{"10.0.0.5 27960 q3 tray=0 110 Known"});
  EXPECT_EQ(live.Items(0).LastReply, kStart);
  EXPECT_EQ(events.Take(),
            (std::vector<std::string>{
                "RefreshTray",
                "ShowBalloon -1 title=Skarvel text=Q3 server \"Arena\" (10.0.0.5) is online"}));
  EXPECT_EQ(known.Count(), 1); // the template stays as it is
}

TEST_F(RouteReplyTest, QueryContextComesFromThePendingEntryElseFromTheAddress) {
  TAddress polled(games, "10.0.0.255", 0, kQ3);
  polled.QueryContext = 3;
  auto waiting = Make("10.0.0.5", 27960, kQ3);
  waiting->QueryContext = 7;
  pending.Add(std::move(waiting));

  Route(polled, "10.0.0.5", 27960, Q3Reply("A"), kStart);
  Route(polled, "10.0.0.6", 27960, Q3Reply("B"), kStart);
  ASSERT_EQ(live.Count(), 2);
  EXPECT_EQ(live.Items(0).QueryContext, 7);
  EXPECT_EQ(live.Items(1).QueryContext, 3);
}

TEST_F(RouteReplyTest, ServersBehindOneBroadcastAddressBecomeSeparateServers) {
  TAddress polled(games, "10.0.0.255", 0, kQ3);
  polled.Description = "LAN";
  polled.Sound = "lan.wav";
  Route(polled, "10.0.0.5", 27960, Q3Reply("One"), kStart);
  Route(polled, "10.0.0.6", 27960, Q3Reply("Two"), kStart);
  Route(polled, "10.0.0.6", 27961, Q3Reply("Three"), kStart);
  EXPECT_EQ(Summary(live), (std::vector<std::string>{"10.0.0.5 27960 q3 tray=1 000 LAN",
                                                     "10.0.0.6 27960 q3 tray=1 000 LAN",
                                                     "10.0.0.6 27961 q3 tray=1 000 LAN"}));
  for (int32_t i = 0; i < live.Count(); ++i)
    EXPECT_EQ(live.Items(i).Sound, "lan.wav");
}

} // namespace
