#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "games/plugin.h"
#include "tests/support/FakePollPorts.h"
#include "tests/support/ScopedTrace.h"

namespace {

using Lines = std::vector<std::string>;
using Datagrams = std::vector<FakePollPorts::Datagram>;

const std::string kStepLine(16, '-');

// A game type whose query builder and parser do what the test says, to reach
// what the built-in protocols never do.
enum class Block { Bytes, Null, Empty, Invalid };
struct Parsed {
  int32_t step;
  int32_t size;
  int32_t context;
  bool operator==(const Parsed&) const = default;
};
struct Script {
  int32_t packetCount = 1;
  int32_t perServerStep = -1;
  Block block = Block::Bytes;
  // The packet of every step; "Q<step>" and "/<challenge>" when empty.
  std::string packet;
  bool numbered = false; // each packet ends in "#<how many were built>"
  int32_t builds = 0;
  int32_t result = SKARVEL_PARSE_COMPLETE;
  bool listed = true;
  intptr_t challenge = 0;
  bool parseThrows = false;
  int32_t players = 0; // each parse reports this many, "p0", "p1" ...
  std::vector<Parsed> parsed;
};
Script script;

// Contexts tell address queries (100 + step) from per-server ones (1000 + challenge).
constexpr int32_t kAddressContext = 100;
constexpr int32_t kPerServerContext = 1000;
// What a builder offers with a block that is not a packet: never taken over.
constexpr int32_t kUntakenContext = 55;

template <class Interface> struct Counted : Interface { uint32_t refs = 1; };
template <class Interface> int32_t SKARVEL_STDCALL NoInterface(Interface*, const void*, void** o) {
  *o = nullptr;
  return -1;
}
template <class Interface> uint32_t SKARVEL_STDCALL AddRef(Interface* self) {
  return ++static_cast<Counted<Interface>*>(self)->refs;
}
template <class Interface> uint32_t SKARVEL_STDCALL Release(Interface* self) {
  auto* object = static_cast<Counted<Interface>*>(self);
  const uint32_t refs = --object->refs;
  if (refs == 0)
    delete object;
  return refs;
}

int32_t SKARVEL_STDCALL PacketCount(IGameQuery*) {
  return script.packetCount;
}
SKARVEL_BOOL SKARVEL_STDCALL IsPerServer(IGameQuery*, int32_t step) {
  return step == script.perServerStep ? 1 : 0;
}
void SKARVEL_STDCALL BuildPacket(IGameQuery*, int32_t step, intptr_t challenge, HLOCAL* data,
                                 int32_t* context) {
  *context = kUntakenContext;
  switch (script.block) {
  case Block::Null:
    *data = nullptr;
    return;
  case Block::Empty:
    *data = LocalAlloc(LHND, 0);
    return;
  case Block::Invalid:
    *data = reinterpret_cast<HLOCAL>(static_cast<intptr_t>(-1));
    return;
  case Block::Bytes:
    break;
  }
  std::string bytes = script.packet;
  if (bytes.empty())
    bytes = "Q" + std::to_string(step) + (challenge ? "/" + std::to_string(challenge) : "");
  if (script.numbered)
    bytes += "#" + std::to_string(++script.builds);
  *data = LocalAlloc(LHND, bytes.size());
  bytes.copy(static_cast<char*>(LocalLock(*data)), bytes.size());
  LocalUnlock(*data);
  *context = step == script.perServerStep ? kPerServerContext + static_cast<int32_t>(challenge)
                                          : kAddressContext + step;
}
const IGameQueryVtbl kQueryVtbl = {&NoInterface<IGameQuery>,
                                   &AddRef<IGameQuery>,
                                   &Release<IGameQuery>,
                                   &PacketCount,
                                   &IsPerServer,
                                   &BuildPacket};

struct ScriptedServer : Counted<IGameServer> {
  TAddPlayer addPlayer = nullptr;
  void* addPlayerContext = nullptr;
};

uint32_t SKARVEL_STDCALL ReleaseServer(IGameServer* self) {
  auto* object = static_cast<ScriptedServer*>(self);
  const uint32_t refs = --object->refs;
  if (refs == 0)
    delete object;
  return refs;
}

void SKARVEL_STDCALL Reset(IGameServer*) {
}
int32_t SKARVEL_STDCALL Parse(IGameServer* self, int32_t step, const void*, int32_t size,
                              int32_t queryContext, intptr_t* challenge, SKARVEL_BOOL* listed) {
  if (script.parseThrows)
    throw std::runtime_error("parser failed");
  const auto* server = static_cast<ScriptedServer*>(self);
  for (int32_t i = 0; i < script.players; ++i) {
    const std::string player = "p" + std::to_string(i) + std::string(1, '\0') + "1";
    server->addPlayer(server->addPlayerContext, 2, player.c_str());
  }
  script.parsed.push_back({step, size, queryContext});
  *challenge = script.challenge;
  *listed = script.listed ? 1 : 0;
  return script.result;
}
const IGameServerVtbl kServerVtbl = {&NoInterface<IGameServer>, &AddRef<IGameServer>,
                                     &ReleaseServer, &Reset, &Parse};

void SKARVEL_STDCALL CreateQuery(IGameQuery** query) {
  auto* object = new Counted<IGameQuery>();
  object->lpVtbl = &kQueryVtbl;
  *query = object;
}
void SKARVEL_STDCALL CreateServer(IGameServer** server, TSetInfo, void*, TSetInfoList, void*,
                                  TAddPlayer addPlayer, void* addPlayerContext) {
  auto* object = new ScriptedServer();
  object->lpVtbl = &kServerVtbl;
  object->addPlayer = addPlayer;
  object->addPlayerContext = addPlayerContext;
  *server = object;
}

constexpr TGameInfo kScriptedInfo = {5000,        0,          "scripted", "Scripted", "SC",
                                     "&Scripted", "scripted", "%1",       "scripted"};

class PollScriptedTest : public PollTest {
protected:
  void SetUp() override {
    PollTest::SetUp();
    script = Script{};
    auto game = std::make_unique<TGame>();
    game->RegisterFrom(kScriptedInfo);
    game->CreateQuery = &CreateQuery;
    game->CreateServer = &CreateServer;
    game->PluginFile = "scripted.so";
    scriptedId = monitor.Games.Append(std::move(game)).Id;
  }
  void TearDown() override { script = Script{}; }

  int32_t scriptedId = 0;
};

TEST_F(PollScriptedTest, SecondReplyOfAPendingResponderGetsTheContextKeptForIt) {
  script.packetCount = 2;
  script.listed = false;
  AddAddress("10.0.0.9", scriptedId);
  engine().Timer1Timer();
  // A complete answer moves on at once, also when it leaves its server
  // pending: query 1, and the address's context is now 101.
  Receive("10.0.0.9", 5000, "first");
  ASSERT_EQ(monitor.PendingServers.Count(), 1);
  ASSERT_EQ(engine().CurrentQuery(), 1);

  script.result = SKARVEL_PARSE_PARTIAL; // both replies answer query 1
  Receive("10.0.0.9", 5000, "second");
  Receive("10.1.0.9", 5000, "other"); // not pending: the address's context
  EXPECT_EQ(script.parsed, (std::vector<Parsed>{{0, 5, 100}, {1, 6, 100}, {1, 5, 101}}));
  EXPECT_EQ(monitor.Servers.Count(), 0);
}

// What a plug-in's challenge means only its builder knows: the host never
// reads it as bytes, so a pending responder does not hand it on.
TEST_F(PollScriptedTest, PluginChallengeOfAPendingResponderIsNotHandedOn) {
  script.packetCount = 3;
  script.perServerStep = 2;
  script.result = SKARVEL_PARSE_PARTIAL; // no early advance
  script.listed = false;
  script.challenge = 7; // no address the host could read
  AddAddress("10.0.0.9", scriptedId);
  engine().Timer1Timer();
  Receive("10.0.0.9", 5000, "challenge");
  ASSERT_EQ(monitor.PendingServers.Count(), 1);

  FireStepTimer();
  script.listed = true;
  script.challenge = 0;
  Receive("10.0.0.9", 5000, "info");
  ASSERT_EQ(ServerSummary(), Lines{"10.0.0.9:5000 scripted online"});
  ports.TakeSent();
  FireStepTimer();
  EXPECT_EQ(ports.TakeSent(), (Datagrams{{"10.0.0.9", 5000, "Q2"}}));
}

// A partial answer ends the step only when it is a challenge, which the
// engine sees only by what it asks for: the server's next request, one of its
// own, changes with the value its parser reported.
struct PartialAnswerCase {
  const char* what;
  std::string host;
  intptr_t challenge;
  int32_t perServerStep;
  std::string packet; // every request alike when set
  bool numbered;
  bool movesOn;
};
void PrintTo(const PartialAnswerCase& partial, std::ostream* out) {
  *out << partial.what;
}

class PollPartialAnswerTest : public PollScriptedTest,
                              public testing::WithParamInterface<PartialAnswerCase> {};

TEST_P(PollPartialAnswerTest, MovesOnAtOnceOnlyForAChallengeTheNextRequestCarries) {
  const PartialAnswerCase& partial = GetParam();
  script.packetCount = 2;
  script.perServerStep = partial.perServerStep;
  script.packet = partial.packet;
  script.numbered = partial.numbered;
  script.result = SKARVEL_PARSE_PARTIAL;
  script.challenge = partial.challenge;
  settings.MaxWaitAnswer = 500;
  AddAddress(partial.host, scriptedId);
  engine().ApplyTimerSettings(settings);
  engine().Timer1Timer();
  ports.TakeSent();

  ports.SetClock(kStart, 20);
  Receive("10.0.0.9", 5000, "answer");
  ASSERT_EQ(ServerSummary(), Lines{"10.0.0.9:5000 scripted online"});
  if (partial.movesOn) {
    EXPECT_EQ(ports.TakeSent(), (Datagrams{{"10.0.0.9", 5000, "Q1/7"}}));
    EXPECT_EQ(ports.stepTimer.armedAt, ports.now);
    EXPECT_EQ(engine().CurrentQuery(), 1);
  } else {
    EXPECT_TRUE(ports.sent.empty());
    EXPECT_EQ(ports.stepTimer.armedAt, kStart);
    FireStepTimer();
    EXPECT_EQ(ports.now, kStart + 500 * FakePollPorts::kMillisecond);
    EXPECT_EQ(engine().CurrentQuery(), 1);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Answers, PollPartialAnswerTest,
    testing::Values(
        PartialAnswerCase{"ChallengeForTheServersOwnRequest", "10.0.0.9", 7, 1, "", false, true},
        PartialAnswerCase{"NoChallenge", "10.0.0.9", 0, 1, "", false, false},
        PartialAnswerCase{"NextRequestGoesToTheAddress", "10.0.0.9", 7, -1, "", false, false},
        PartialAnswerCase{"NextRequestWithoutTheChallenge", "10.0.0.9", 7, 1, "P", false, false},
        PartialAnswerCase{"EveryRequestDiffers", "10.0.0.9", 7, 1, "", true, false},
        PartialAnswerCase{"BehindABroadcastAddress", "10.0.0.255", 7, 1, "", false, false}),
    [](const testing::TestParamInfo<PartialAnswerCase>& answer) { return answer.param.what; });

TEST_F(PollScriptedTest, ContextsOfAddressAndPerServerQueries) {
  script.packetCount = 3;
  script.perServerStep = 2;
  script.result = SKARVEL_PARSE_PARTIAL; // no early advance
  TAddress& address = AddAddress("10.0.0.9", scriptedId);
  engine().Timer1Timer();
  script.challenge = 7;
  Receive("10.0.0.9", 5000, "a");
  script.challenge = 8;
  Receive("10.1.0.9", 5000, "b");
  ASSERT_EQ(ServerSummary(),
            (Lines{"10.0.0.9:5000 scripted online", "10.1.0.9:5000 scripted online"}));
  TServer& first = monitor.Servers.Items(0);
  TServer& second = monitor.Servers.Items(1);

  // An address query hands its context to every server answering in the pass.
  FireStepTimer();
  EXPECT_EQ(address.QueryContext, 101);
  EXPECT_EQ(first.QueryContext, 101);
  EXPECT_EQ(second.QueryContext, 101);

  // A per-server query: one packet per such server, with its own challenge
  // and context; the address's context is cleared.
  ports.TakeSent();
  FireStepTimer();
  EXPECT_EQ(ports.TakeSent(), (Datagrams{{"10.0.0.9", 5000, "Q2/7"}, {"10.1.0.9", 5000, "Q2/8"}}));
  EXPECT_EQ(address.QueryContext, 0);
  script.parsed.clear();
  Receive("10.1.0.9", 5000, "c");
  EXPECT_EQ(script.parsed, (std::vector<Parsed>{{2, 1, 1008}}));

  // Next cycle: a listed server answering an address query takes the address's context.
  FireStepTimer();
  ASSERT_FALSE(engine().Polling());
  engine().Timer1Timer();
  Receive("10.1.0.9", 5000, "d");
  EXPECT_EQ(script.parsed.back(), (Parsed{0, 1, 100}));
}

TEST_F(PollScriptedTest, LongPacketIsTracedWholeAndSentAsItsFirst256Bytes) {
  script.packet = std::string(250, 'a') + std::string(50, 'b');
  AddAddress("10.0.0.9", scriptedId);
  engine().Timer1Timer();
  EXPECT_EQ(ports.trace.at(2), "->10.0.0.9:5000 " + script.packet);
  EXPECT_EQ(ports.sent, (Datagrams{{"10.0.0.9", 5000, script.packet.substr(0, 256)}}));
}

TEST_F(PollScriptedTest, BuilderWithoutAPacketSendsNothingAndKeepsTheStep) {
  for (const Block block : {Block::Null, Block::Empty, Block::Invalid}) {
    SCOPED_TRACE(static_cast<int>(block));
    script.block = block;
    monitor.Addresses.Clear();
    ports = FakePollPorts{};
    TAddress& address = AddAddress("10.0.0.9", scriptedId);
    address.QueryContext = 42;

    engine().Timer1Timer();
    EXPECT_EQ(ports.trace, (Lines{kStepLine, "qry 10.0.0.9:5000 scripted"}));
    EXPECT_TRUE(ports.sent.empty());
    EXPECT_EQ(address.QueryContext, 42);
    EXPECT_TRUE(engine().Polling());
    EXPECT_EQ(ports.timerCalls, Lines{"step on 100"});
    FireStepTimer();
    ASSERT_FALSE(engine().Polling());
  }
}

TEST_F(PollScriptedTest, LongDatagramIsReadAsItsFirst2048Bytes) {
  settings.SlowPoll = true;
  engine().ApplyTimerSettings(settings);
  AddAddress("10.0.0.9", scriptedId);
  engine().Timer1Timer();
  ports.TakeTrace();

  const std::string datagram = std::string(2048, 'x') + std::string(952, 'y');
  Receive("10.0.0.9", 5000, datagram);
  EXPECT_EQ(ports.trace.at(0), " <10.0.0.9:5000 " + std::string(2048, 'x'));
  EXPECT_EQ(script.parsed, (std::vector<Parsed>{{0, 2048, 100}}));
}

TEST_F(PollScriptedTest, DatagramThatFailsIsTracedAndTheCycleGoesOn) {
  script.parseThrows = true;
  AddAddress("10.0.0.9", scriptedId);
  AddAddress("10.0.0.10", scriptedId);
  engine().Timer1Timer();
  ports.TakeTrace();

  Receive("10.0.0.9", 5000, "boom");
  EXPECT_EQ(ports.TakeTrace(), (Lines{" <10.0.0.9:5000 boom", "Datagram: parser failed"}));
  EXPECT_EQ(monitor.Servers.Count(), 0);
  EXPECT_TRUE(engine().Polling());

  script.parseThrows = false;
  FireStepTimer();
  Receive("10.0.0.10", 5000, "fine");
  EXPECT_FALSE(engine().Polling());
  EXPECT_EQ(ServerSummary(), Lines{"10.0.0.10:5000 scripted online"});
}

// A builder that claims two thousand million steps once made a cycle that
// never ended, sending a query at every step tick.
TEST_F(PollScriptedTest, AnEndlessPacketCountIsCutToThePollableSteps) {
  script.packetCount = std::numeric_limits<int32_t>::max();
  script.result = SKARVEL_PARSE_PARTIAL;
  AddAddress("10.0.0.9", scriptedId);
  AddAddress("10.0.0.10", scriptedId);
  settings.Interval = 1000;
  settings.MaxWaitAnswer = 100;
  engine().ApplyTimerSettings(settings);
  EXPECT_EQ(ports.cycleTimer.interval, 2 * TAddress::kMaxQuerySteps * 100);

  engine().Timer1Timer();
  for (int i = 0; i < 1000 && engine().Polling(); ++i)
    FireStepTimer();
  EXPECT_FALSE(engine().Polling());
  EXPECT_EQ(ports.TakeSent().size(), 2u * TAddress::kMaxQuerySteps);
  const Lines trace = ports.TakeTrace();
  EXPECT_EQ(std::count(trace.begin(), trace.end(),
                       "plug-in scripted.so: 2147483647 query steps cut to 32"),
            2);
}

// A 100 MB block once went whole into one trace line: no more than a
// datagram can carry is taken.
TEST_F(PollScriptedTest, AHugePacketIsCutBeforeItIsTracedOrSent) {
  script.packet = std::string(1024 * 1024, 'x');
  AddAddress("10.0.0.9", scriptedId);
  engine().Timer1Timer();
  const Datagrams sent = ports.TakeSent();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].bytes, std::string(256, 'x'));
  const Lines trace = ports.TakeTrace();
  EXPECT_NE(std::find(trace.begin(), trace.end(),
                      "plug-in scripted.so: a packet of 1048576 bytes cut to 65507"),
            trace.end());
  EXPECT_NE(std::find(trace.begin(), trace.end(), "->10.0.0.9:5000 " + std::string(65507, 'x')),
            trace.end());
}

// A parser that reports ever more players is cut at the limit, once traced.
TEST_F(PollScriptedTest, PlayersBeyondTheLimitAreLeftOut) {
  script.players = TServer::kMaxPlayers + 10;
  script.result = SKARVEL_PARSE_PARTIAL; // both replies in the one pass
  const ScopedTrace trace;
  AddAddress("10.0.0.9", scriptedId);
  engine().Timer1Timer();
  Receive("10.0.0.9", 5000, "info");
  ASSERT_EQ(monitor.Servers.Count(), 1);
  const TServer& server = monitor.Servers.Items(0);
  EXPECT_EQ(server.NewPlayers.Count(), TServer::kMaxPlayers);
  EXPECT_EQ(server.NewPlayers.Items(TServer::kMaxPlayers - 1).Name,
            "p" + std::to_string(TServer::kMaxPlayers - 1));
  Receive("10.0.0.9", 5000, "more");
  EXPECT_EQ(server.NewPlayers.Count(), TServer::kMaxPlayers);
  while (engine().Polling())
    FireStepTimer();
  EXPECT_EQ(server.Players.Count(), TServer::kMaxPlayers);
  const std::string text = trace.Text();
  const std::string cut = " plug-in scripted.so: more than 4096 players from 10.0.0.9; the rest "
                          "left out\n";
  ASSERT_NE(text.find(cut), std::string::npos) << text;
  EXPECT_EQ(text.find(cut, text.find(cut) + 1), std::string::npos);
}

} // namespace
