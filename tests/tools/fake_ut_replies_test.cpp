#include "KeyValueText.h"
#include "TestServerState.h"
#include "tools/fakeserver/UtReplies.h"

#include <gtest/gtest.h>

namespace {

// The pairs of all datagrams of one answer, in packet order.
KeyValues AllPairs(const std::vector<std::string>& datagrams) {
  KeyValues all;
  for (const std::string& datagram : datagrams) {
    KeyValues pairs = ParseKeyValues(datagram);
    all.insert(all.end(), pairs.begin(), pairs.end());
  }
  return all;
}

TEST(FakeUtReplies, StatusIsSplitIntoNumberedPacketsWithFinalOnlyInTheLast) {
  UtReplies replies;
  const std::vector<std::string> datagrams = replies.Answer("\\status\\", TestServerState(3));
  ASSERT_GE(datagrams.size(), 3u); // info, rules, players
  for (std::size_t i = 0; i < datagrams.size(); ++i) {
    const KeyValues pairs = ParseKeyValues(datagrams[i]);
    EXPECT_EQ(ValueOf(pairs, "queryid"), "1." + std::to_string(i + 1));
    const bool last = i + 1 == datagrams.size();
    EXPECT_EQ(ValueOf(pairs, "final").empty(), last) << datagrams[i];
    if (last) { // the final marker closes the datagram, after the query id
      EXPECT_TRUE(datagrams[i].ends_with("\\queryid\\1." + std::to_string(i + 1) + "\\final\\"));
    }
  }
  EXPECT_EQ(ValueOf(ParseKeyValues(datagrams[0]), "hostname"), "Test Arena");
  EXPECT_EQ(ValueOf(ParseKeyValues(datagrams.back()), "player_2"), "Sarge");
}

TEST(FakeUtReplies, StatusReportsServerRulesAndEveryPlayer) {
  const ServerState state = TestServerState(3);
  UtReplies replies;
  const KeyValues pairs = AllPairs(replies.Answer("\\status\\", state));
  EXPECT_EQ(ValueOf(pairs, "gamename"), "ut");
  EXPECT_EQ(ValueOf(pairs, "hostname"), "Test Arena");
  EXPECT_EQ(ValueOf(pairs, "hostport"), "7777");
  EXPECT_EQ(ValueOf(pairs, "mapname"), "dm-test");
  EXPECT_EQ(ValueOf(pairs, "numplayers"), "3");
  EXPECT_EQ(ValueOf(pairs, "maxplayers"), "12");
  EXPECT_EQ(ValueOf(pairs, "fraglimit"), "25");
  const std::vector<std::string> latin1Names = {"J\xF6rg", "Zo\xEB", "Sarge"};
  for (int i = 0; i < 3; ++i) {
    const std::string n = std::to_string(i);
    // Clients find a name's end by the "\frags_" key that must follow it.
    auto name =
        std::find(pairs.begin(), pairs.end(), std::make_pair("player_" + n, latin1Names[i]));
    ASSERT_NE(name, pairs.end()) << i;
    ASSERT_NE(name + 1, pairs.end());
    EXPECT_EQ((name + 1)->first, "frags_" + n);
    EXPECT_EQ((name + 1)->second, std::to_string(state.Players()[i].frags));
    EXPECT_EQ(ValueOf(pairs, "ping_" + n), std::to_string(state.Players()[i].ping));
  }
  EXPECT_EQ(ValueOf(pairs, "player_3"), "<missing>");
}

TEST(FakeUtReplies, EveryAnswerGetsTheNextQueryId) {
  const ServerState state = TestServerState(0);
  UtReplies replies;
  EXPECT_EQ(ValueOf(ParseKeyValues(replies.Answer("\\info\\", state).at(0)), "queryid"), "1.1");
  EXPECT_EQ(ValueOf(ParseKeyValues(replies.Answer("\\status\\", state).at(0)), "queryid"), "2.1");
  replies.Answer("nonsense", state);
  EXPECT_EQ(ValueOf(ParseKeyValues(replies.Answer("\\info\\", state).at(0)), "queryid"), "3.1");
}

struct SingleQueryCase {
  std::string request;
  int players;
  std::string key; // a key the one datagram must carry
  std::string value;
};

class FakeUtRepliesSingleQuery : public testing::TestWithParam<SingleQueryCase> {};

TEST_P(FakeUtRepliesSingleQuery, IsAnsweredInOneFinalDatagram) {
  UtReplies replies;
  const std::vector<std::string> datagrams =
      replies.Answer(GetParam().request, TestServerState(GetParam().players));
  ASSERT_EQ(datagrams.size(), 1u);
  const KeyValues pairs = ParseKeyValues(datagrams[0]);
  EXPECT_EQ(ValueOf(pairs, GetParam().key), GetParam().value);
  EXPECT_EQ(ValueOf(pairs, "queryid"), "1.1");
  EXPECT_EQ(pairs.back(), std::make_pair(std::string("final"), std::string()));
}

INSTANTIATE_TEST_SUITE_P(Queries, FakeUtRepliesSingleQuery,
                         testing::Values(SingleQueryCase{"\\basic\\", 2, "gamever", "451"},
                                         SingleQueryCase{"\\info\\", 2, "numplayers", "2"},
                                         SingleQueryCase{"\\rules\\", 2, "timelimit", "20"},
                                         SingleQueryCase{"\\players\\", 2, "player_1", "Zo\xEB"},
                                         SingleQueryCase{"\\players\\", 0, "player_0", "<missing>"},
                                         SingleQueryCase{"\\echo\\hello", 0, "echo", "hello"}));

TEST(FakeUtReplies, RequestsThatAreNoQueryGetNoAnswer) {
  UtReplies replies;
  const ServerState state = TestServerState(2);
  for (const std::string& request :
       {std::string(), std::string("status"), std::string("\\"), std::string("\\unknown\\"),
        std::string("\\STATUS\\"), std::string("\xFF\xFF\xFF\xFFgetstatus")})
    EXPECT_TRUE(replies.Answer(request, state).empty()) << request;
}

TEST(FakeUtReplies, AFullServerStillAnswersInSingleDigitPacketNumbers) {
  ServerSetup setup;
  setup.name = "Full";
  setup.map = "DM-Deck16][";
  setup.maxPlayers = 32;
  setup.initialPlayers = 32;
  UtReplies replies;
  const std::vector<std::string> datagrams = replies.Answer("\\status\\", ServerState(setup));
  EXPECT_LE(datagrams.size(), 9u);
  EXPECT_EQ(ValueOf(AllPairs(datagrams), "player_31"), "Player8");
  for (const std::string& datagram : datagrams)
    EXPECT_LT(datagram.size(), 1200u);
}

TEST(FakeUtReplies, ARequestNamingManyQueriesIsAnsweredForTheFirstFewOnly) {
  std::string request;
  for (int i = 0; i < 1000; ++i)
    request += "\\echo\\x";
  UtReplies replies;
  EXPECT_EQ(replies.Answer(request, TestServerState(0)).size(), 8u);
}

} // namespace
