// The plug-in under the real poll engine: the host's rules for new servers,
// pending servers, stored challenges and early advances decide whether its
// step plan works, so they are exercised here as the program runs them.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "config/AppSettings.h"
#include "tests/plugins/A2sPlugin.h"
#include "tests/plugins/A2sReplies.h"
#include "tests/support/FakePollPorts.h"

namespace {

using namespace a2s_replies;
using Lines = std::vector<std::string>;
using Datagrams = std::vector<FakePollPorts::Datagram>;

// A server as it answers today: with a challenge to a request that lacks the
// right one, unless it asks for none.
struct FakeA2sServer {
  std::string host;
  std::string info;
  std::vector<std::string> players; // the datagrams of the player reply
  bool infoChallenge = true;
  bool playerChallenge = true;
  uint32_t challenge = 0x5A5A0000;

  std::vector<std::string> Answer(const std::string& request) const {
    if (request.starts_with(kInfoRequest)) {
      if (infoChallenge && request.substr(kInfoRequest.size()) != Le32(challenge))
        return {Challenge(challenge)};
      return {info};
    }
    if (request.starts_with(kPlayerRequest)) {
      if (playerChallenge && request.substr(kPlayerRequest.size()) != Le32(challenge + 1))
        return {Challenge(challenge + 1)};
      return players;
    }
    return {};
  }
};

class A2sPollTest : public PollTest {
protected:
  void SetUp() override {
    PollTest::SetUp();
    AppSettings.MaxWaitAnswer = 500;
    const THostInfo host{0x02050000, 0, 3000, nullptr, nullptr, nullptr, nullptr};
    TPluginInfo* info = nullptr;
    ASSERT_NE(A2sPlugin::Get().Init(&host, &info), 0);
    auto game = std::make_unique<TGame>();
    game->RegisterFrom(*info->GameInfo);
    game->CreateQuery = A2sPlugin::Get().CreateQuery;
    game->CreateServer = A2sPlugin::Get().CreateServer;
    a2s = monitor.Games.Append(std::move(game)).Id;
  }

  // Every server the engine's datagrams reached answers them; answers that
  // make the engine move on early are answered too. The requests in order.
  Datagrams AnswerAll(const std::vector<FakeA2sServer>& servers) {
    Datagrams requests;
    while (!ports.sent.empty()) {
      for (const FakePollPorts::Datagram& request : ports.TakeSent()) {
        requests.push_back(request);
        for (const FakeA2sServer& server : servers)
          if (request.host == server.host || request.host.ends_with(".255"))
            for (const std::string& reply : server.Answer(request.bytes))
              Receive(server.host, 27015, reply);
      }
    }
    return requests;
  }
  const TServer& Listed(const std::string& host) {
    if (const TServer* server = monitor.Servers.Find(host, 27015, a2s))
      return *server;
    throw std::runtime_error(host + " is not listed");
  }
  static Lines PlayerLines(const TServer& server) {
    Lines lines;
    for (int32_t i = 0; i < server.Players.Count(); ++i)
      lines.push_back(server.Players.Items(i).Name + " " +
                      std::to_string(server.Players.Items(i).Frags));
    return lines;
  }

  int32_t a2s = -1;
};

TEST_F(A2sPollTest, AServerOfTodayAnswersBothChallengesInOneCycle) {
  const FakeA2sServer server{"10.0.0.1", Info(SourceInfo{}), {Players({{"Bob", 12}, {"Eve", -1}})}};
  AddAddress("10.0.0.1", a2s);
  engine().ApplyTimerSettings(settings);
  engine().Timer1Timer();

  // The info challenge lists the server, nameless, without announcing it,
  // and the request that carries the challenge goes out at once.
  EXPECT_EQ(ports.TakeSent(), (Datagrams{{"10.0.0.1", 27015, kInfoRequest}}));
  ports.SetClock(kStart, 10);
  Receive("10.0.0.1", 27015, Challenge(0x5A5A0000));
  EXPECT_EQ(ServerSummary(), Lines{"10.0.0.1:27015 a2s online"});
  EXPECT_TRUE(events.lines.empty());
  EXPECT_EQ(ports.stepTimer.armedAt, ports.now);

  // Then each answer is complete and the engine moves on at once.
  EXPECT_EQ(AnswerAll({server}),
            (Datagrams{{"10.0.0.1", 27015, kInfoRequest + Le32(0x5A5A0000)},
                       {"10.0.0.1", 27015, kPlayerRequest + kAskForChallenge},
                       {"10.0.0.1", 27015, kPlayerRequest + Le32(0x5A5A0001)}}));
  EXPECT_FALSE(engine().Polling());
  EXPECT_EQ(events.lines, (Lines{"A2S server \"Dust Bowl\" (10.0.0.1) is online",
                                 "Player Bob entered A2S server \"Dust Bowl\" (10.0.0.1)",
                                 "Player Eve entered A2S server \"Dust Bowl\" (10.0.0.1)"}));
  const TServer& listed = Listed("10.0.0.1");
  EXPECT_EQ(listed.Info,
            (std::array<std::string, 5>{"Dust Bowl", "ctf_2fort", "Team Fortress", "2", "24"}));
  EXPECT_EQ(PlayerLines(listed), (Lines{"Bob 12", "Eve -1"}));

  // A server known by name: its info challenge completes the first step too,
  // and the whole cycle runs without waiting once.
  ports.SetClock(kStart, 3000);
  events.lines.clear();
  engine().Timer1Timer();
  EXPECT_EQ(AnswerAll({server}).size(), 4u);
  EXPECT_FALSE(engine().Polling());
  EXPECT_TRUE(events.lines.empty());
  EXPECT_EQ(PlayerLines(Listed("10.0.0.1")), (Lines{"Bob 12", "Eve -1"}));
}

// Only a whole reply ends a step: the first part of a split info reply to the
// plain request waits for the rest, and a server that says nothing gets the
// step's full wait.
TEST_F(A2sPollTest, APartOfAnAnswerOrSilenceKeepsTheStepsWait) {
  const std::vector<std::string> parts =
      SplitSource(Info(SourceInfo{.name = std::string(100, 'N')}), 42, 60);
  ASSERT_GE(parts.size(), 2u);
  AddAddress("10.0.0.1", a2s);
  AddAddress("10.0.0.2", a2s);
  engine().ApplyTimerSettings(settings);
  engine().Timer1Timer();
  ports.TakeSent();

  ports.SetClock(kStart, 10);
  Receive("10.0.0.1", 27015, parts[0]);
  EXPECT_TRUE(ports.sent.empty());
  EXPECT_EQ(ports.stepTimer.armedAt, kStart);
  for (std::size_t i = 1; i < parts.size(); ++i)
    Receive("10.0.0.1", 27015, parts[i]);
  EXPECT_EQ(Listed("10.0.0.1").NewInfo[SKARVEL_INFO_NAME], std::string(100, 'N'));
  EXPECT_EQ(ports.TakeSent(), (Datagrams{{"10.0.0.1", 27015, kInfoRequest}}));

  // The server is silent from here: steps 2 and 3 each come a full wait later.
  FireStepTimer();
  FireStepTimer();
  ports.TakeSent();
  FireStepTimer(); // the next address
  EXPECT_EQ(ports.TakeSent(), (Datagrams{{"10.0.0.2", 27015, kInfoRequest}}));
  const TDateTime asked = ports.now;
  FireStepTimer();
  EXPECT_EQ(ports.now, asked + 500 * FakePollPorts::kMillisecond);
  EXPECT_EQ(engine().CurrentQuery(), 1);
}

// Behind a broadcast address: a server of today, one that asks for no
// challenge, and a GoldSrc server whose player list comes split.
TEST_F(A2sPollTest, ServersBehindABroadcastAddressEachAnswerTheirOwnChallenges) {
  const std::string goldSrcPlayers = Players({{"Ann", 7}, {"Ben", 3}, {"Cid", 0}});
  const std::vector<FakeA2sServer> servers = {
      {"10.0.0.5", Info(SourceInfo{}), {Players({{"Bob", 12}})}, true, true, 0x05050500},
      {"10.0.0.6",
       Info(SourceInfo{.name = "Mirage", .game = "Counter-Strike 2", .appId = 730}),
       {Players({})},
       false,
       false},
      {"10.0.0.7", Info(GoldSrcInfo{}), SplitGoldSrc(goldSrcPlayers, 99, 20), false, true,
       0x07070700},
  };
  AddAddress("10.0.0.255", a2s);
  engine().ApplyTimerSettings(settings);
  engine().Timer1Timer();
  EXPECT_EQ(AnswerAll(servers), (Datagrams{{"10.0.0.255", 27015, kInfoRequest}}));
  FireStepTimer();
  EXPECT_EQ(AnswerAll(servers), (Datagrams{{"10.0.0.5", 27015, kInfoRequest + Le32(0x05050500)},
                                           {"10.0.0.6", 27015, kInfoRequest},
                                           {"10.0.0.7", 27015, kInfoRequest}}));
  FireStepTimer();
  EXPECT_EQ(AnswerAll(servers).size(), 3u);
  FireStepTimer();
  EXPECT_EQ(AnswerAll(servers),
            (Datagrams{{"10.0.0.5", 27015, kPlayerRequest + Le32(0x05050501)},
                       {"10.0.0.6", 27015, kPlayerRequest + kAskForChallenge},
                       {"10.0.0.7", 27015, kPlayerRequest + Le32(0x07070701)}}));
  FireStepTimer();
  EXPECT_FALSE(engine().Polling());

  EXPECT_EQ(Listed("10.0.0.5").Info[SKARVEL_INFO_NAME], "Dust Bowl");
  EXPECT_EQ(PlayerLines(Listed("10.0.0.5")), (Lines{"Bob 12"}));
  EXPECT_EQ(Listed("10.0.0.6").Info[SKARVEL_INFO_FRAG_LIMIT], "Counter-Strike 2");
  EXPECT_TRUE(PlayerLines(Listed("10.0.0.6")).empty());
  EXPECT_EQ(Listed("10.0.0.7").Info[SKARVEL_INFO_MAP], "cs_office");
  EXPECT_EQ(PlayerLines(Listed("10.0.0.7")), (Lines{"Ann 7", "Ben 3", "Cid 0"}));
}

} // namespace
