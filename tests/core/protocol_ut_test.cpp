#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "protocols/Factories.h"
#include "protocols/server_ut.h"
#include "tests/support/ProtocolHarness.h"

namespace {

using Call = ProtocolHarness::Call;
using Player = ProtocolHarness::Player;
using Info = std::array<std::string, 5>;

class UTTest : public ::testing::Test {
protected:
  // Parses the datagrams in order and gives the result of each.
  std::vector<int32_t> ParseAll(const std::vector<std::string>& datagrams) {
    std::vector<int32_t> results;
    for (const std::string& datagram : datagrams)
      results.push_back(ut.Parse(datagram));
    return results;
  }

  ProtocolHarness ut{&CreateQueryOf<TQueryUT>, &CreateServerOf<TServerUT>};
};

// A two-packet answer as an Unreal Tournament server sends it: the query id
// closes every packet, the final marker follows it in the last one.
const std::string kPacket1 = "\\gamename\\ut\\gamever\\436\\hostname\\Skarvel Test Arena"
                             "\\hostport\\7777\\maptitle\\Deck 16\\mapname\\DM-Deck16]["
                             "\\gametype\\DeathMatchPlus\\numplayers\\2\\maxplayers\\16"
                             "\\queryid\\43.1";
const std::string kPacket2 = "\\fraglimit\\30\\timelimit\\0\\player_0\\Alpha\\frags_0\\12"
                             "\\ping_0\\ 45\\team_0\\255\\player_1\\Bravo\\frags_1\\-3"
                             "\\ping_1\\ 80\\team_1\\255\\queryid\\43.2\\final\\";
const Info kInfo = {"Skarvel Test Arena", "DM-Deck16][", "30", "2", "16"};
const std::vector<Player> kPlayers = {{"Alpha", "12"}, {"Bravo", "-3"}};

TEST_F(UTTest, BuilderSendsTheStatusRequestOnce) {
  EXPECT_EQ(ut.PacketCount(), 1);
  EXPECT_FALSE(ut.PerServer(0));
  EXPECT_EQ(ut.Build(0), "\\status\\");
  EXPECT_EQ(ut.Build(1), "<none>");
  EXPECT_EQ(ut.Build(-1), "<none>");
}

TEST_F(UTTest, TwoPacketAnswerDeliversInfoThenPlayers) {
  EXPECT_EQ(ParseAll({kPacket1, kPacket2}),
            (std::vector<int32_t>{SKARVEL_PARSE_PARTIAL, SKARVEL_PARSE_COMPLETE}));
  EXPECT_EQ(ut.challenge, 0);
  EXPECT_EQ(ut.listed, 1);
  ASSERT_EQ(ut.calls.size(), 3u);
  EXPECT_EQ(ut.calls[0],
            (Call{Call::SetInfoList, 5, {"Skarvel Test Arena", "DM-Deck16][", "30", "2", "16"}}));
  EXPECT_EQ(ut.calls[1], (Call{Call::AddPlayer, 2, {"Alpha", "12"}}));
  EXPECT_EQ(ut.calls[2], (Call{Call::AddPlayer, 2, {"Bravo", "-3"}}));
}

TEST_F(UTTest, PacketsAreReadInPacketNumberOrderWhateverTheArrival) {
  // Every packet names the host, packets 2 and 3 the map: the lowest packet
  // carrying a key must win.
  const std::vector<std::string> packets = {
      "\\hostname\\one\\numplayers\\1\\queryid\\9.1",
      "\\hostname\\two\\mapname\\map-two\\player_0\\Alpha\\frags_0\\4\\queryid\\9.2",
      "\\hostname\\three\\mapname\\map-three\\maxplayers\\8\\queryid\\9.3\\final\\"};
  std::vector<std::size_t> order = {0, 1, 2};
  do {
    SCOPED_TRACE("arrival " + std::to_string(order[0] + 1) + std::to_string(order[1] + 1) +
                 std::to_string(order[2] + 1));
    ut.Reset();
    ut.ClearRecord();
    EXPECT_EQ(ParseAll({packets[order[0]], packets[order[1]], packets[order[2]]}),
              (std::vector<int32_t>{SKARVEL_PARSE_PARTIAL, SKARVEL_PARSE_PARTIAL,
                                    SKARVEL_PARSE_COMPLETE}));
    EXPECT_EQ(ut.info, (Info{"one", "map-two", "", "1", "8"}));
    EXPECT_EQ(ut.players, (std::vector<Player>{{"Alpha", "4"}}));
  } while (std::next_permutation(order.begin(), order.end()));
}

TEST_F(UTTest, AMissingMiddlePacketHoldsTheAnswerBack) {
  const std::string packet1 = "\\hostname\\Arena\\queryid\\5.1";
  const std::string packet2 = "\\mapname\\DM-Morpheus\\queryid\\5.2";
  const std::string packet3 = "\\maxplayers\\8\\queryid\\5.3\\final\\";
  EXPECT_EQ(ParseAll({packet1, packet3}),
            (std::vector<int32_t>{SKARVEL_PARSE_PARTIAL, SKARVEL_PARSE_PARTIAL}));
  EXPECT_TRUE(ut.calls.empty());
  EXPECT_EQ(ut.Parse(packet2), SKARVEL_PARSE_COMPLETE);
  EXPECT_EQ(ut.info, (Info{"Arena", "DM-Morpheus", "", "", "8"}));
}

// Every datagram of an answer carries its answer id and packet number: one
// without them is no reply of a server, lists nothing and stores nothing.
TEST_F(UTTest, DatagramsWithoutAUsableQueryIdAreNotOurs) {
  for (const std::string queryId : {"", "12", "12.", "12.x", ".1", "ab.1", "1", "12.10", "12.0",
                                    "-1.1", "+1.1", "$1F.1", "1 .1", "99999999999.1"}) {
    SCOPED_TRACE("queryid \"" + queryId + "\"");
    ut.Reset();
    ut.ClearRecord();
    EXPECT_EQ(ut.Parse("\\hostname\\Stray\\queryid\\" + queryId + "\\final\\"),
              SKARVEL_PARSE_NOT_OURS);
    EXPECT_TRUE(ut.calls.empty());
    // Neither its lines nor its id were taken: a later answer stands alone.
    EXPECT_EQ(ut.Parse("\\mapname\\DM-Fractal\\queryid\\77.1\\final\\"), SKARVEL_PARSE_COMPLETE);
    EXPECT_EQ(ut.info, (Info{"", "DM-Fractal", "", "", ""}));
  }
}

// Stray datagrams of any kind, as they reach the client's port: none of them
// is taken for a fragment of an answer.
TEST_F(UTTest, StrayDatagramsAreNotOurs) {
  const std::string cases[] = {
      "\\hostname\\Arena\\final\\",
      "not a key/value reply at all",
      "hostname\\Arena\\queryid\\1.1\\final\\", // pairs open with a backslash
      " \\queryid\\1.1\\final\\",
      std::string(1, '\0') + "\\queryid\\1.1\\final\\",
      std::string("\x80\0\0\0\0", 5),
      std::string(64, '\\'),
      "\\queryid",
      "\\queryid\\",
  };
  for (const std::string& datagram : cases) {
    SCOPED_TRACE(::testing::PrintToString(datagram));
    ut.Reset();
    EXPECT_EQ(ut.Parse(datagram), SKARVEL_PARSE_NOT_OURS);
    EXPECT_EQ(ut.listed, 1);
  }
  EXPECT_TRUE(ut.calls.empty());
}

TEST_F(UTTest, PacketsOfAnotherAnswerAreIgnored) {
  EXPECT_EQ(ut.Parse("\\hostname\\Current\\queryid\\20.1"), SKARVEL_PARSE_PARTIAL);
  EXPECT_EQ(ut.Parse("\\hostname\\Old\\mapname\\DM-Old\\queryid\\19.1\\final\\"),
            SKARVEL_PARSE_PARTIAL);
  EXPECT_TRUE(ut.calls.empty());
  EXPECT_EQ(ut.Parse("\\mapname\\DM-Current\\queryid\\20.2\\final\\"), SKARVEL_PARSE_COMPLETE);
  EXPECT_EQ(ut.info, (Info{"Current", "DM-Current", "", "", ""}));
}

TEST_F(UTTest, FinalMarker) {
  struct Case {
    const char* tail;
    int32_t result;
  } cases[] = {
      {"\\final\\", SKARVEL_PARSE_COMPLETE},
      {"\\final\\\\", SKARVEL_PARSE_COMPLETE},       // a stray key opener adds no line
      {"\\final\\yes", SKARVEL_PARSE_PARTIAL},       // the marker's value must be empty
      {"\\FINAL\\", SKARVEL_PARSE_PARTIAL},          // the marker's name is exact
      {"\\final\\\\ping\\0", SKARVEL_PARSE_PARTIAL}, // it must be the last line
      {"", SKARVEL_PARSE_PARTIAL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tail);
    ut.Reset();
    EXPECT_EQ(ut.Parse(std::string("\\hostname\\Arena\\queryid\\3.1") + c.tail), c.result);
  }
}

TEST_F(UTTest, ReplyFields) {
  struct Case {
    const char* name;
    std::string reply; // one complete packet
    Info info;
    std::vector<Player> players;
  } cases[] = {
      {"player name with backslashes",
       "\\player_0\\a\\b\\frags_0\\7\\player_1\\\\x\\\\frags_1\\1\\queryid\\1.1\\final\\",
       {},
       {{"a\\b", "7"}, {"\\x\\", "1"}}},
      {"numbering gap ends the list",
       "\\player_0\\Alpha\\frags_0\\1\\player_2\\Charlie\\frags_2\\3\\queryid\\1.1\\final\\",
       {},
       {{"Alpha", "1"}}},
      {"empty name ends the list",
       "\\player_0\\\\frags_0\\1\\player_1\\Bravo\\frags_1\\2\\queryid\\1.1\\final\\",
       {},
       {}},
      {"player without frags",
       "\\player_0\\Alpha\\ping_0\\30\\queryid\\1.1\\final\\",
       {},
       {{"Alpha", ""}}},
      {"key names ignore case",
       "\\HostName\\Arena\\MAPNAME\\DM-Tempest\\Player_0\\Alpha\\FRAGS_0\\9\\QueryId\\1.1\\final\\",
       {"Arena", "DM-Tempest", "", "", ""},
       {{"Alpha", "9"}}},
      {"first of two equal keys wins",
       "\\hostname\\First\\hostname\\Second\\queryid\\1.1\\final\\",
       {"First", "", "", "", ""},
       {}},
      {"value holding an equals sign",
       "\\hostname\\a=b\\queryid\\1.1\\final\\",
       {"a=b", "", "", "", ""},
       {}},
      {"line break inside a value cuts it",
       "\\hostname\\Top\nBottom\\queryid\\1.1\\final\\",
       {"Top", "", "", "", ""},
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ut.Reset();
    ut.ClearRecord();
    EXPECT_EQ(ut.Parse(c.reply), SKARVEL_PARSE_COMPLETE);
    EXPECT_EQ(ut.info, c.info);
    EXPECT_EQ(ut.players, c.players);
  }
}

TEST_F(UTTest, OtherGamesRepliesAreNotOurs) {
  for (const std::string& reply :
       {std::string(),
        std::string("\xFF\xFF\xFF\xFFprint\n\\hostname\\x\\queryid\\1.1\\final\\")}) {
    EXPECT_EQ(ut.Parse(reply), SKARVEL_PARSE_NOT_OURS);
    EXPECT_EQ(ut.listed, 1);
    EXPECT_EQ(ut.challenge, 0);
  }
  EXPECT_TRUE(ut.calls.empty());
}

TEST_F(UTTest, ADuplicatePacketDoesNotDuplicatePlayers) {
  EXPECT_EQ(
      ParseAll({kPacket1, kPacket1, kPacket2}),
      (std::vector<int32_t>{SKARVEL_PARSE_PARTIAL, SKARVEL_PARSE_PARTIAL, SKARVEL_PARSE_COMPLETE}));
  EXPECT_EQ(ut.info, kInfo);
  EXPECT_EQ(ut.players, kPlayers);
}

TEST_F(UTTest, APacketAfterCompletionCompletesAgainOnItsOwnLines) {
  ParseAll({kPacket1, kPacket2});
  ut.ClearRecord();
  EXPECT_EQ(ut.Parse(kPacket1), SKARVEL_PARSE_COMPLETE);
  EXPECT_EQ(ut.info, (Info{"Skarvel Test Arena", "DM-Deck16][", "", "2", "16"}));
  EXPECT_TRUE(ut.players.empty());
}

TEST_F(UTTest, ResetForgetsTheAnswerBeingCollected) {
  EXPECT_EQ(ut.Parse(kPacket1), SKARVEL_PARSE_PARTIAL);
  ut.Reset();
  EXPECT_EQ(ut.Parse(kPacket2), SKARVEL_PARSE_PARTIAL); // packet 1 is gone
  ut.Reset();
  // A new poll takes a new answer id.
  EXPECT_EQ(ut.Parse("\\hostname\\Next\\queryid\\44.1\\final\\"), SKARVEL_PARSE_COMPLETE);
  EXPECT_EQ(ut.info, (Info{"Next", "", "", "", ""}));
}

TEST_F(UTTest, EveryTruncationParsesSafely) {
  const std::string reply = kPacket1 + kPacket2;
  // Until its query id is whole, a cut datagram belongs to no answer.
  const std::size_t queryIdEnd = kPacket1.size();
  for (std::size_t length = 0; length <= reply.size(); ++length) {
    ut.Reset();
    const int32_t expected = length < queryIdEnd      ? SKARVEL_PARSE_NOT_OURS
                             : length == reply.size() ? SKARVEL_PARSE_COMPLETE
                                                      : SKARVEL_PARSE_PARTIAL;
    EXPECT_EQ(ut.Parse(reply.substr(0, length)), expected) << length;
  }
}

TEST_F(UTTest, EndlessFragmentsOfOneAnswerDoNotGrowTheStoreForever) {
  std::string flood;
  for (int i = 0; i < 1000; ++i)
    flood += "\\k" + std::to_string(i) + "\\v";
  EXPECT_EQ(ut.Parse("\\hostname\\Flooded\\queryid\\7.1"), SKARVEL_PARSE_PARTIAL);
  for (int i = 0; i < 100; ++i)
    EXPECT_EQ(ut.Parse(flood + "\\queryid\\7.3"), SKARVEL_PARSE_PARTIAL);
  // The answer still completes once its last packet arrives.
  EXPECT_EQ(ut.Parse("\\mapname\\DM-Flood\\queryid\\7.2\\final\\"), SKARVEL_PARSE_COMPLETE);
  EXPECT_EQ(ut.info[0], "Flooded");
  EXPECT_EQ(ut.info[1], "DM-Flood");
}

} // namespace
