#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "config/AppSettings.h"
#include "games/ComBase.h"
#include "games/game.h"
#include "model/server.h"
#include "protocols/builtin_games.h"
#include "tests/support/RecordingServerEvents.h"
#include "tests/support/ScratchProgramFolder.h"

namespace {

constexpr int32_t kQ3 = 3;
constexpr int32_t kCS = 4;

const std::string kQ3Reply = "\xFF\xFF\xFF\xFF"
                             "statusResponse\n"
                             "\\sv_hostname\\Arena\\mapname\\q3dm17\\fraglimit\\20"
                             "\\sv_maxclients\\16\n"
                             "12 50 \"Bob\"\n";

// A protocol whose parser hands its callbacks to the test and answers as told,
// to reach what no real protocol sends.
struct Script {
  TServerCallbacks callbacks;
  int resets = 0;
  int32_t result = SKARVEL_PARSE_COMPLETE;
  intptr_t challenge = 0;
  bool listed = true;
  std::function<void()> duringParse;
};
Script script;

class ScriptedParser : public TGameServerBase {
public:
  using TGameServerBase::TGameServerBase;
  void Reset() override { ++script.resets; }
  int32_t Parse(int32_t, const std::string&, int32_t, intptr_t& challenge, bool& listed) override {
    if (script.duringParse)
      script.duringParse();
    challenge = script.challenge;
    listed = script.listed;
    return script.result;
  }
};

void SKARVEL_STDCALL CreateScripted(IGameServer** server, TSetInfo setInfo, void* setInfoContext,
                                    TSetInfoList setInfoList, void* setInfoListContext,
                                    TAddPlayer addPlayer, void* addPlayerContext) {
  script.callbacks = {setInfo,   setInfoContext,  setInfoList, setInfoListContext,
                      addPlayer, addPlayerContext};
  *server = new ScriptedParser(script.callbacks);
}

constexpr TGameInfo kScriptedInfo = {5000,        0,          "scripted", "Scripted", "SC",
                                     "&Scripted", "scripted", "%1",       "scripted"};

// Packs texts the way the callbacks receive them.
std::string Packed(const std::vector<std::string>& texts) {
  std::string packed;
  for (const std::string& text : texts) {
    packed += text;
    packed += '\0';
  }
  return packed;
}

class ServerTest : public ::testing::Test {
protected:
  void SetUp() override {
    script = Script{};
    games.LoadGames(BuiltinGames(), THostInfo{});
    auto scripted = std::make_unique<TGame>();
    scripted->RegisterFrom(kScriptedInfo);
    scripted->CreateServer = &CreateScripted;
    scripted->IconIndex = scripted->DefaultIconIndex = 9;
    scriptedId = games.Append(std::move(scripted)).Id;
  }
  std::unique_ptr<TServer> Make(int32_t gameId, int32_t port = 0,
                                const std::string& host = "10.0.0.5") {
    return TServer::CreateFromStore(games, events.Roles(), host, port, gameId, 1.0);
  }
  // A server of the scripted type whose parser is made and whose callbacks are known.
  std::unique_ptr<TServer> MakeScripted() {
    auto server = Make(scriptedId);
    server->CreateParser();
    return server;
  }
  void SetInfo(int32_t index, const char* value) {
    script.callbacks.SetInfo(script.callbacks.SetInfoContext, index, value);
  }
  void SetInfoList(int32_t count, const std::vector<std::string>& texts) {
    const std::string packed = Packed(texts);
    script.callbacks.SetInfoList(script.callbacks.SetInfoListContext, count, packed.c_str());
  }
  void AddPlayer(int32_t count, const std::vector<std::string>& texts) {
    const std::string packed = Packed(texts);
    script.callbacks.AddPlayer(script.callbacks.AddPlayerContext, count, packed.c_str());
  }

  ScratchProgramFolder folder;
  TGameList games;
  RecordingServerEvents events;
  int32_t scriptedId = 0;
};

std::vector<std::string> Names(const TPlayerList& players) {
  std::vector<std::string> names;
  for (int32_t i = 0; i < players.Count(); ++i)
    names.push_back(players.Items(i).Name + "/" + std::to_string(players.Items(i).Frags));
  return names;
}

TEST_F(ServerTest, StoredServerStartsWithTrayNewAndTheGivenTime) {
  AppSettings.TrayNew = kTrayNoIcon;
  const auto server = Make(kQ3);
  EXPECT_EQ(server->Host, "10.0.0.5");
  EXPECT_EQ(server->Port, 27960);
  EXPECT_EQ(server->Id, kQ3);
  EXPECT_EQ(server->TrayMode, kTrayNoIcon);
  EXPECT_EQ(server->LastReply, 1.0);
  EXPECT_FALSE(server->Online);
  EXPECT_FALSE(server->Popup || server->PlayerTips || server->RealPlayersNumber);
  EXPECT_EQ(server->TrayIcon, TServer::kNoTrayIcon);
  EXPECT_FALSE(server->Parser);
}

TEST_F(ServerTest, ServerFirstSeenInAReplyInheritsTheAddress) {
  AppSettings.TrayNew = kTrayCommonIcon;
  TAddress polled(games, "10.0.0.255", 0, kQ3);
  polled.Description = "LAN party";
  polled.IconFile = "lan.ico";
  polled.IconIndex = 42;
  polled.Sound = "lan.wav";
  polled.Log = "lan.log";

  const auto server = TServer::CreateFromReply(events.Roles(), "10.0.0.7", 27961, polled, 5.0);
  EXPECT_EQ(server->Host, "10.0.0.7");
  EXPECT_EQ(server->Port, 27961);
  EXPECT_EQ(server->Id, kQ3);
  EXPECT_EQ(server->Description, "LAN party");
  EXPECT_EQ(server->IconFile, "lan.ico");
  EXPECT_EQ(server->IconIndex, 42);
  EXPECT_EQ(server->Sound, "lan.wav");
  EXPECT_EQ(server->Log, "lan.log");
  EXPECT_EQ(server->TrayMode, kTrayCommonIcon);
  EXPECT_EQ(server->LastReply, 5.0);
  EXPECT_FALSE(server->Popup || server->PlayerTips || server->RealPlayersNumber);
  EXPECT_EQ(polled.Host, "10.0.0.255");
}

TEST_F(ServerTest, CopyTakesOptionsAndPlayersButNoStateOfTheLiveServer) {
  auto source = Make(kQ3);
  source->Description = "Arena";
  source->TrayMode = kTrayOwnIcon;
  source->Popup = source->PlayerTips = source->RealPlayersNumber = true;
  source->ApplyReply(0, kQ3Reply, 2.0); // online, own icon, parser, info, players
  source->CommitPass(2.0);
  source->Challenge = 5;
  ASSERT_NE(source->TrayIcon, TServer::kNoTrayIcon);

  std::vector<std::unique_ptr<TServer>> copies;
  copies.push_back(std::make_unique<TServer>(*source));
  copies.push_back(Make(kCS, 0, "10.9.9.9"));
  copies.back()->Online = true;
  copies.back()->Assign(*source);
  for (const auto& copy : copies) {
    EXPECT_EQ(copy->Host, "10.0.0.5");
    EXPECT_EQ(copy->Id, kQ3);
    EXPECT_EQ(copy->Description, "Arena");
    EXPECT_EQ(copy->TrayMode, kTrayOwnIcon);
    EXPECT_TRUE(copy->Popup && copy->PlayerTips && copy->RealPlayersNumber);
    EXPECT_EQ(copy->LastReply, 2.0);
    EXPECT_EQ(Names(copy->Players), std::vector<std::string>{"Bob/12"});
    EXPECT_EQ(Names(copy->NewPlayers), std::vector<std::string>{"Bob/12"});
    EXPECT_EQ(copy->Info[SKARVEL_INFO_NAME], "");
    EXPECT_EQ(copy->NewInfo[SKARVEL_INFO_NAME], "");
    EXPECT_FALSE(copy->Parser);
    EXPECT_EQ(copy->Challenge, 0);
    EXPECT_EQ(copy->TrayIcon, TServer::kNoTrayIcon);
    EXPECT_FALSE(copy->AnsweredInPass || copy->AnsweredInCycle);
  }
  EXPECT_FALSE(copies[0]->Online);
  EXPECT_TRUE(copies[1]->Online); // Assign leaves the target's own state alone

  // Copies hold no icon: only the source gives one back.
  events.Take();
  copies.clear();
  source.reset();
  EXPECT_EQ(events.Take(), std::vector<std::string>{"ReleaseTrayIcon 0"});
}

TEST_F(ServerTest, SetInfoStoresIndexesZeroToFourOnly) {
  const auto server = MakeScripted();
  for (int32_t i = 0; i < 5; ++i)
    SetInfo(i, ("v" + std::to_string(i)).c_str());
  SetInfo(5, "five");
  SetInfo(-1, "minus");
  SetInfo(1000, "far");
  const std::array<std::string, 5> expected = {"v0", "v1", "v2", "v3", "v4"};
  EXPECT_EQ(server->NewInfo, expected);
}

TEST_F(ServerTest, SetInfoListStoresAtMostFiveTexts) {
  const auto server = MakeScripted();
  SetInfoList(7, {"a", "b", "c", "d", "e", "f", "g"});
  EXPECT_EQ(server->NewInfo, (std::array<std::string, 5>{"a", "b", "c", "d", "e"}));
  SetInfoList(2, {"p", ""});
  EXPECT_EQ(server->NewInfo, (std::array<std::string, 5>{"p", "", "c", "d", "e"}));
  SetInfoList(0, {"x"});
  SetInfoList(-3, {"x"});
  EXPECT_EQ(server->NewInfo, (std::array<std::string, 5>{"p", "", "c", "d", "e"}));
}

TEST_F(ServerTest, AddPlayerTakesTheNameAndFragsWhenTheyAreANumber) {
  struct Case {
    int32_t count;
    std::vector<std::string> texts;
    std::string expected; // "name/frags", empty: no player added
  };
  const std::vector<Case> cases = {
      {2, {"Bob", "12"}, "Bob/12"},
      {2, {"Neg", "-3"}, "Neg/-3"},
      {2, {"Hex", "$10"}, "Hex/16"},
      {2, {"Text", "lots"}, "Text/0"},
      {2, {"Empty", ""}, "Empty/0"},
      {1, {"Alone"}, "Alone/0"},
      {3, {"Three", "7", "x"}, "Three/7"},
      {2, {"", "5"}, "/5"},
      {0, {"Nobody"}, ""},
      {-1, {"Nobody"}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.texts[0]);
    const auto server = MakeScripted();
    AddPlayer(c.count, c.texts);
    if (c.expected.empty())
      EXPECT_EQ(server->NewPlayers.Count(), 0);
    else
      EXPECT_EQ(Names(server->NewPlayers), std::vector<std::string>{c.expected});
  }
}

TEST_F(ServerTest, AcceptedReplyFillsTheNewStateAndSetsTheServerOnline) {
  const auto server = Make(kQ3);
  const TServer::TReplyResult result = server->ApplyReply(0, kQ3Reply, 2.5);
  EXPECT_EQ(result.Result, SKARVEL_PARSE_COMPLETE);
  EXPECT_TRUE(result.Listed);
  EXPECT_TRUE(server->Parser); // made for the first reply
  EXPECT_EQ(server->NewInfo, (std::array<std::string, 5>{"Arena", "q3dm17", "20", "1", "16"}));
  EXPECT_EQ(Names(server->NewPlayers), std::vector<std::string>{"Bob/12"});
  EXPECT_EQ(server->NewPlayers.Items(0).LastSeen, 2.5);
  EXPECT_EQ(server->Info[SKARVEL_INFO_NAME], ""); // committed only at the end of the pass
  EXPECT_EQ(server->LastReply, 2.5);
  EXPECT_TRUE(server->Online && server->AnsweredInPass && server->AnsweredInCycle);
}

TEST_F(ServerTest, RejectedReplyChangesNothing) {
  const auto server = Make(kQ3);
  ASSERT_EQ(server->ApplyReply(0, "garbage", 2.0).Result, SKARVEL_PARSE_NOT_OURS);
  EXPECT_FALSE(server->Online || server->AnsweredInPass || server->AnsweredInCycle);
  EXPECT_EQ(server->LastReply, 1.0);
  EXPECT_TRUE(events.calls.empty());

  server->ApplyReply(0, kQ3Reply, 3.0);
  const std::array<std::string, 5> lastPass = server->NewInfo;
  server->AnsweredInPass = false; // the next pass
  events.Take();
  // Garbage from the server's address before its answer: the values of the
  // last pass, which the shown player count reads, stay.
  EXPECT_EQ(server->ApplyReply(0, "garbage", 4.0).Result, SKARVEL_PARSE_NOT_OURS);
  EXPECT_EQ(server->NewInfo, lastPass);
  EXPECT_EQ(server->NewPlayers.Count(), 1);
  EXPECT_EQ(server->LastReply, 3.0);
  EXPECT_TRUE(server->Online);
  EXPECT_TRUE(events.calls.empty());
}

// A parser that hands values over and then rejects the datagram (a plug-in
// may) does not change the values of the last pass either.
TEST_F(ServerTest, ValuesOfARejectedFirstReplyOfAPassAreDropped) {
  const auto server = Make(scriptedId);
  script.duringParse = [this] { SetInfo(SKARVEL_INFO_NAME, "Kept"); };
  server->ApplyReply(0, "a", 2.0);
  server->AnsweredInPass = false;
  script.duringParse = [this] {
    SetInfo(SKARVEL_INFO_NAME, "Ghost");
    AddPlayer(1, {"Nobody"});
  };
  script.result = SKARVEL_PARSE_NOT_OURS;
  server->ApplyReply(0, "b", 3.0);
  EXPECT_EQ(server->NewInfo[SKARVEL_INFO_NAME], "Kept");
  EXPECT_EQ(server->NewPlayers.Count(), 0);
}

TEST_F(ServerTest, DatagramsOfOnePassAccumulateAndANewPassStartsAfresh) {
  const auto server = Make(scriptedId);
  int packet = 0;
  script.duringParse = [&] { AddPlayer(1, {"P" + std::to_string(++packet)}); };

  server->ApplyReply(0, "one", 2.0);
  server->ApplyReply(1, "two", 2.0);
  EXPECT_EQ(Names(server->NewPlayers), (std::vector<std::string>{"P1/0", "P2/0"}));
  EXPECT_EQ(script.resets, 1);

  server->AnsweredInPass = false;
  server->ApplyReply(0, "three", 3.0);
  EXPECT_EQ(Names(server->NewPlayers), std::vector<std::string>{"P3/0"});
  EXPECT_EQ(script.resets, 2);
}

// A datagram lost on the way (a full receive buffer under a flood, a lossy
// line) must not read as every player leaving and coming back, nor blank the
// name for a cycle: what the lost answer brought before stays.
TEST_F(ServerTest, APassThatLostAnAnswerKeepsWhatThatAnswerBrings) {
  const auto server = Make(scriptedId);
  int32_t step = 0;
  std::string map = "dm1";
  std::vector<std::string> playing;
  script.duringParse = [&] {
    if (step == 0) {
      // The count comes with the players, as Counter-Strike servers send it.
      SetInfo(SKARVEL_INFO_NAME, "Arena");
      SetInfo(SKARVEL_INFO_MAP, map.c_str());
      SetInfo(SKARVEL_INFO_FRAG_LIMIT, "20");
      SetInfo(SKARVEL_INFO_MAX_PLAYERS, "16");
      return;
    }
    SetInfo(SKARVEL_INFO_PLAYERS, std::to_string(playing.size()).c_str());
    for (const std::string& name : playing)
      AddPlayer(1, {name});
  };
  const auto pass = [&](bool infoAnswer, bool playerAnswer) {
    server->AnsweredInPass = false;
    for (step = 0; step < 2; ++step)
      if (step == 0 ? infoAnswer : playerAnswer)
        server->ApplyReply(step, "reply", 2.0);
    events.Take();
    server->CommitPass(2.0);
    const auto calls = events.Take();
    return std::count(calls.begin(), calls.end(), "RefreshPlayers 10.0.0.5") > 0;
  };
  using Names_ = std::vector<std::string>;

  playing = {"Bob", "Ann"};
  EXPECT_TRUE(pass(true, true));
  EXPECT_EQ(Names(server->Players), (Names_{"Bob/0", "Ann/0"}));

  // The player answer is lost: players and their count stay, the info moves on.
  map = "dm2";
  EXPECT_FALSE(pass(true, false));
  EXPECT_EQ(Names(server->Players), (Names_{"Bob/0", "Ann/0"}));
  EXPECT_EQ(server->Info, (std::array<std::string, 5>{"Arena", "dm2", "20", "2", "16"}));
  EXPECT_EQ(server->PlayerCount(), 2);

  // The info answer is lost: the players move on, the name and map stay.
  playing = {"Bob"};
  EXPECT_TRUE(pass(false, true));
  EXPECT_EQ(Names(server->Players), (Names_{"Bob/0"}));
  EXPECT_EQ(server->Info, (std::array<std::string, 5>{"Arena", "dm2", "20", "1", "16"}));

  // A whole answer with nobody playing lets the players go.
  playing.clear();
  EXPECT_TRUE(pass(true, true));
  EXPECT_EQ(server->Players.Count(), 0);
  EXPECT_EQ(server->Info[SKARVEL_INFO_PLAYERS], "0");
}

// Without a lost answer a field that is no longer delivered is cleared, as
// the pass starts afresh.
TEST_F(ServerTest, AWholePassClearsAFieldItNoLongerDelivers) {
  const auto server = Make(scriptedId);
  bool withFragLimit = true;
  script.duringParse = [&] {
    SetInfo(SKARVEL_INFO_NAME, "Arena");
    if (withFragLimit)
      SetInfo(SKARVEL_INFO_FRAG_LIMIT, "20");
  };
  for (bool fragLimit : {true, false}) {
    withFragLimit = fragLimit;
    server->AnsweredInPass = false;
    server->ApplyReply(0, "reply", 2.0);
    server->CommitPass(2.0);
  }
  EXPECT_EQ(server->Info[SKARVEL_INFO_NAME], "Arena");
  EXPECT_EQ(server->Info[SKARVEL_INFO_FRAG_LIMIT], "");
}

TEST_F(ServerTest, FirstChallengeOfThePassSticks) {
  const auto server = Make(scriptedId);
  script.challenge = 0;
  server->ApplyReply(0, "a", 2.0);
  EXPECT_EQ(server->Challenge, 0);
  script.challenge = 7;
  server->ApplyReply(1, "b", 2.0);
  script.challenge = 9;
  server->ApplyReply(2, "c", 2.0);
  EXPECT_EQ(server->Challenge, 7);

  server->Challenge = 0; // what a new pass does
  script.result = SKARVEL_PARSE_NOT_OURS;
  server->ApplyReply(0, "d", 3.0);
  EXPECT_EQ(server->Challenge, 0); // a rejected reply gives none
  script.result = SKARVEL_PARSE_PARTIAL;
  EXPECT_EQ(server->ApplyReply(0, "e", 3.0).Result, SKARVEL_PARSE_PARTIAL);
  EXPECT_EQ(server->Challenge, 9);
}

TEST_F(ServerTest, ListedFlagComesFromTheParser) {
  const auto server = Make(scriptedId);
  script.listed = false;
  const TServer::TReplyResult result = server->ApplyReply(0, "a", 2.0);
  EXPECT_EQ(result.Result, SKARVEL_PARSE_COMPLETE);
  EXPECT_FALSE(result.Listed);
  EXPECT_TRUE(server->Online);
}

TEST_F(ServerTest, SetOnlineUpdatesTheTrayOnlyWhenTheValueChanges) {
  AppSettings.TrayNew = kTrayCommonIcon;
  const auto server = Make(kQ3);
  server->SetOnline(false);
  EXPECT_TRUE(events.calls.empty());
  server->SetOnline(true);
  server->SetOnline(true);
  EXPECT_EQ(events.Take(), std::vector<std::string>{"RefreshTray"});
  server->SetOnline(false);
  EXPECT_EQ(events.Take(), std::vector<std::string>{"RefreshTray"});
}

TEST_F(ServerTest, PlayerCountPrefersTheReportedNumber) {
  struct Case {
    bool realPlayersNumber;
    std::string reported;
    int32_t expected;
  };
  const std::vector<Case> cases = {
      {false, "5", 5},  {false, "0", 0}, {false, "many", 2}, {false, "", 2},
      {false, "7x", 2}, {true, "5", 2},  {true, "", 2},
  };
  const auto server = Make(kQ3);
  server->Players.Add(std::make_unique<TPlayer>("A", 0, 1.0));
  server->Players.Add(std::make_unique<TPlayer>("B", 0, 1.0));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reported);
    server->RealPlayersNumber = c.realPlayersNumber;
    server->NewInfo[SKARVEL_INFO_PLAYERS] = c.reported;
    EXPECT_EQ(server->PlayerCount(), c.expected);
  }
}

TEST_F(ServerTest, PlayerListsAndPluginBlocksFollowTheCommittedState) {
  const auto server = Make(kQ3);
  std::vector<int32_t> frags = {42};
  EXPECT_EQ(server->PluginPlayersBlock(frags), std::string(1, '\0'));
  EXPECT_TRUE(frags.empty());
  EXPECT_EQ(server->PluginInfoBlock(), std::string(5, '\0'));

  server->Info = {"Arena", "q3dm17", "20", "2", "16"};
  server->Players.Add(std::make_unique<TPlayer>("Bob", 12, 1.0));
  server->Players.Add(std::make_unique<TPlayer>("Al", -3, 1.0));
  server->NewPlayers.Add(std::make_unique<TPlayer>("Uncommitted", 1, 1.0));

  std::vector<std::string> names = {"stale"};
  std::vector<std::string> fragTexts = {"stale"};
  server->FillPlayerLists(names, fragTexts);
  EXPECT_EQ(names, (std::vector<std::string>{"Bob", "Al"}));
  EXPECT_EQ(fragTexts, (std::vector<std::string>{"12", "-3"}));

  EXPECT_EQ(server->PluginInfoBlock(), std::string("Arena\0q3dm17\0"
                                                   "20\0"
                                                   "2\0"
                                                   "16\0",
                                                   21));
  EXPECT_EQ(server->PluginPlayersBlock(frags), std::string("Bob\0Al\0", 7));
  EXPECT_EQ(frags, (std::vector<int32_t>{12, -3}));
}

TEST_F(ServerTest, DestroyingAServerGivesItsOwnIconBack) {
  AppSettings.TrayNew = kTrayOwnIcon;
  auto server = Make(kQ3);
  server->SetOnline(true);
  EXPECT_EQ(events.Take(), (std::vector<std::string>{"AcquireTrayIcon 0",
                                                     "ShowTrayIcon 0 hint= -  (0) count=0 image=3",
                                                     "RefreshTray"}));
  server.reset();
  EXPECT_EQ(events.Take(), std::vector<std::string>{"ReleaseTrayIcon 0"});
}

} // namespace
