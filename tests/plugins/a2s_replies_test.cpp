#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/plugins/A2sHost.h"
#include "tests/plugins/A2sReplies.h"

namespace {

using namespace a2s_replies;
using Info5 = std::array<std::string, SKARVEL_INFO_COUNT>;
using Delivered = std::vector<A2sHost::Player>;

struct InfoCase {
  const char* name;
  std::string reply;
  Info5 info;
};

// Name, map, the game's description in the frag limit's place, players and
// maximum players.
TEST(A2sRepliesTest, InfoRepliesFillTheFiveTexts) {
  const InfoCase cases[] = {
      {"Source, with every extra field",
       Info(SourceInfo{}),
       {"Dust Bowl", "ctf_2fort", "Team Fortress", "2", "24"}},
      {"Source, without extra fields",
       Info(SourceInfo{.extraData = false}),
       {"Dust Bowl", "ctf_2fort", "Team Fortress", "2", "24"}},
      {"Counter-Strike 2, full",
       Info(SourceInfo{.name = "Mirage 128",
                       .map = "de_mirage",
                       .game = "Counter-Strike 2",
                       .appId = 730,
                       .players = 255,
                       .maxPlayers = 255}),
       {"Mirage 128", "de_mirage", "Counter-Strike 2", "255", "255"}},
      {"The Ship's three more bytes",
       Info(SourceInfo{.game = "The Ship", .appId = 2400}),
       {"Dust Bowl", "ctf_2fort", "The Ship", "2", "24"}},
      {"empty texts",
       Info(SourceInfo{.name = "", .map = "", .game = "", .players = 0}),
       {"", "", "", "0", "24"}},
      {"GoldSrc", Info(GoldSrcInfo{}), {"CS Office", "cs_office", "Counter-Strike", "3", "20"}},
      {"GoldSrc mod",
       Info(GoldSrcInfo{.game = "Natural Selection", .mod = true}),
       {"CS Office", "cs_office", "Natural Selection", "3", "20"}},
  };
  for (const InfoCase& c : cases) {
    SCOPED_TRACE(c.name);
    for (const int32_t step : {0, 1}) {
      A2sHost host;
      ASSERT_EQ(host.Receive(step, c.reply), SKARVEL_PARSE_COMPLETE);
      EXPECT_EQ(host.info, c.info);
      EXPECT_TRUE(host.listed);
      EXPECT_NE(host.challenge, 0);
    }
  }
}

// A Rust server of 575 slots: the count bytes say 86 of 63, its keywords
// carry the true counts.
TEST(A2sRepliesTest, ARustServerOfMoreThan255SlotsCountsFromItsKeywords) {
  const unsigned char captured[] = {
      0xFF, 0xFF, 0xFF, 0xFF, 'I',  0x11, 'R',  'u',  's',  't',  ' ',  'E', 'U',  ' ',  'M',
      'a',  'i',  'n',  0x00, 'P',  'r',  'o',  'c',  'e',  'd',  'u',  'r', 'a',  'l',  ' ',
      'M',  'a',  'p',  0x00, 'r',  'u',  's',  't',  0x00, 'R',  'u',  's', 't',  0x00, 0x00,
      0x00, 0x56, 0x3F, 0x00, 'd',  'w',  0x00, 0x01, '2',  '5',  '8',  '3', 0x00, 0xB1, 0x5F,
      0x6D, 0x5B, 0xC3, 0x71, 0x02, 0x30, 0x40, 0x01, 0x90, 'm',  'p',  '5', '7',  '5',  ',',
      'c',  'p',  '5',  '4',  '7',  ',',  'p',  't',  'r',  'a',  'k',  ',', 'q',  'p',  '0',
      ',',  'v',  '2',  '5',  '8',  '3',  ',',  'h',  '7',  'd',  '2',  'c', ',',  's',  't',
      'o',  'k',  ',',  'b',  'o',  'r',  'n',  '1',  '7',  '3',  '4',  '4', '5',  '0',  '1',
      '2',  '3',  ',',  'g',  'm',  'r',  'u',  's',  't',  ',',  'c',  's', '1',  '3',  '4',
      '5',  '6',  '2',  0x00, 0x4A, 0xDA, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00};
  A2sHost host;
  ASSERT_EQ(host.Receive(1, std::string(reinterpret_cast<const char*>(captured), sizeof captured)),
            SKARVEL_PARSE_COMPLETE);
  EXPECT_EQ(host.info, (Info5{"Rust EU Main", "Procedural Map", "Rust", "547", "575"}));
}

// Only a pair of counts in the keywords counts; other tags are left alone.
TEST(A2sRepliesTest, KeywordCountsAreTakenOnlyAsAPair) {
  const struct {
    const char* keywords;
    const char* players;
    const char* maxPlayers;
  } cases[] = {
      {"cp,payload", "2", "24"},
      {"cp5,payload", "2", "24"},
      {"mp300", "2", "24"},
      {"cp300,mp", "2", "24"},
      {"cp12x,mp300", "2", "24"},
      {"cp,mp300,cp301", "301", "300"},
      {"mp1000,cp0", "0", "1000"},
      {"cp12345678,mp12345678", "2", "24"},
      {"cp9999999,mp9999999", "9999999", "9999999"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keywords);
    A2sHost host;
    ASSERT_EQ(host.Receive(1, Info(SourceInfo{.keywords = c.keywords})), SKARVEL_PARSE_COMPLETE);
    EXPECT_EQ(host.info[SKARVEL_INFO_PLAYERS], c.players);
    EXPECT_EQ(host.info[SKARVEL_INFO_MAX_PLAYERS], c.maxPlayers);
  }
}

TEST(A2sRepliesTest, PlayersComeWithTheirScores) {
  A2sHost host;
  const std::string reply = Players({{"Bob", 12},
                                     {"J\xC3\xB6rg", -1},
                                     {"", 0}, // still connecting
                                     {"%s%n", 2147483647},
                                     {"Min", -2147483647 - 1}});
  ASSERT_EQ(host.Receive(3, reply), SKARVEL_PARSE_COMPLETE);
  EXPECT_EQ(
      host.players,
      (Delivered{
          {"Bob", "12"}, {"J\xC3\xB6rg", "-1"}, {"%s%n", "2147483647"}, {"Min", "-2147483648"}}));
  EXPECT_TRUE(host.listed);
}

TEST(A2sRepliesTest, AnEmptyServerAnswersWithNoPlayers) {
  A2sHost host;
  EXPECT_EQ(host.Receive(2, Players({})), SKARVEL_PARSE_COMPLETE);
  EXPECT_TRUE(host.players.empty());
  // Bytes after the last player (The Ship sends more) are not read.
  EXPECT_EQ(host.Receive(3, Players({{"Ann", 1}}) + "\x05\x00\x00\x00"), SKARVEL_PARSE_COMPLETE);
}

// A player request asked again in the same poll, or answered twice, lists
// the players once; the next poll lists them again.
TEST(A2sRepliesTest, PlayersGoToTheHostOncePerPoll) {
  A2sHost host;
  const std::string reply = Players({{"Bob", 1}, {"Eve", 2}});
  ASSERT_EQ(host.Receive(2, reply), SKARVEL_PARSE_COMPLETE);
  ASSERT_EQ(host.Receive(3, reply), SKARVEL_PARSE_COMPLETE);
  ASSERT_EQ(host.Receive(3, reply), SKARVEL_PARSE_COMPLETE);
  EXPECT_EQ(host.players.size(), 2u);

  host.NewPoll();
  ASSERT_EQ(host.Receive(3, reply), SKARVEL_PARSE_COMPLETE);
  EXPECT_EQ(host.players, (Delivered{{"Bob", "1"}, {"Eve", "2"}}));
}

struct Event {
  int32_t step; // kNewPoll: a new poll begins
  std::string datagram;
};
constexpr int32_t kNewPoll = -100;

struct ResultCase {
  const char* name;
  std::vector<Event> before;
  int32_t step;
  std::string datagram;
  int32_t result;
};

TEST(A2sRepliesTest, EachStepTakesTheRepliesItAskedFor) {
  const std::string info = Info(SourceInfo{});
  const std::string challenge = Challenge(0x01020304);
  const std::string players = Players({{"Bob", 1}});
  const ResultCase cases[] = {
      // A server's first complete answer lists it under the name it has then.
      {"a new server's info challenge", {}, 0, challenge, SKARVEL_PARSE_PARTIAL},
      {"the info challenge of a server that gave its info before",
       {{0, info}, {kNewPoll, ""}},
       0,
       challenge,
       SKARVEL_PARSE_COMPLETE},
      {"an info challenge that refused the one sent",
       {{0, info}, {kNewPoll, ""}, {0, challenge}},
       1,
       challenge,
       SKARVEL_PARSE_PARTIAL},
      {"the player challenge", {{0, challenge}, {1, info}}, 2, challenge, SKARVEL_PARSE_COMPLETE},
      {"the player challenge of a server whose info never came",
       {{0, challenge}},
       2,
       challenge,
       SKARVEL_PARSE_PARTIAL},
      {"a player challenge that refused the one sent",
       {{0, challenge}, {1, info}, {2, challenge}},
       3,
       challenge,
       SKARVEL_PARSE_PARTIAL},
      {"info at step 0", {}, 0, info, SKARVEL_PARSE_COMPLETE},
      {"GoldSrc info at step 1", {{0, challenge}}, 1, Info(GoldSrcInfo{}), SKARVEL_PARSE_COMPLETE},
      {"players at step 2", {}, 2, players, SKARVEL_PARSE_COMPLETE},
      {"players at step 3", {{2, challenge}}, 3, players, SKARVEL_PARSE_COMPLETE},
      {"info where players are due", {}, 2, info, SKARVEL_PARSE_NOT_OURS},
      {"players where info is due", {}, 1, players, SKARVEL_PARSE_NOT_OURS},
      {"no step beyond the count", {}, 4, info, SKARVEL_PARSE_NOT_OURS},
      {"no step before the first", {}, -1, challenge, SKARVEL_PARSE_NOT_OURS},
      {"a rules reply",
       {},
       2,
       kHeader + "E" + Le16(1) + Text("a") + Text("b"),
       SKARVEL_PARSE_NOT_OURS},
      {"a challenge of three bytes", {}, 0, kHeader + "A\x01\x02\x03", SKARVEL_PARSE_NOT_OURS},
      {"the header alone", {}, 0, kHeader, SKARVEL_PARSE_NOT_OURS},
      {"another game's reply", {}, 0, "\\hostname\\x\\final\\", SKARVEL_PARSE_NOT_OURS},
      {"an empty datagram", {}, 0, "", SKARVEL_PARSE_NOT_OURS},
  };
  for (const ResultCase& c : cases) {
    SCOPED_TRACE(c.name);
    A2sHost host;
    for (const Event& event : c.before) {
      if (event.step == kNewPoll)
        host.NewPoll();
      else
        ASSERT_NE(host.Receive(event.step, event.datagram), SKARVEL_PARSE_NOT_OURS);
    }
    EXPECT_EQ(host.Receive(c.step, c.datagram), c.result);
    const bool taken = c.result != SKARVEL_PARSE_NOT_OURS;
    EXPECT_EQ(host.listed != 0, taken);
    EXPECT_EQ(host.challenge != 0, taken);
  }
}

// Every accepted datagram reports the same value: the host keeps the first
// of a poll, and it still shows the newest challenges.
TEST(A2sRepliesTest, TheChallengeValueStaysTheSameForTheParsersLife) {
  A2sHost host;
  ASSERT_EQ(host.Receive(0, Challenge(1)), SKARVEL_PARSE_PARTIAL);
  const intptr_t first = host.challenge;
  ASSERT_EQ(host.Receive(1, Info(SourceInfo{})), SKARVEL_PARSE_COMPLETE);
  EXPECT_EQ(host.challenge, first);
  host.NewPoll();
  ASSERT_EQ(host.Receive(2, Players({})), SKARVEL_PARSE_COMPLETE);
  EXPECT_EQ(host.challenge, first);
}

struct TruncationCase {
  const char* name;
  int32_t step;
  std::string reply;
  std::size_t wholeAt; // a shorter length that is itself a whole reply, or kNoneWhole
};
constexpr std::size_t kNoneWhole = std::string::npos;

// A reply cut anywhere is refused and delivers nothing, unless the cut falls
// where a shorter reply of its kind may end.
TEST(A2sRepliesTest, EveryTruncationIsRefused) {
  const TruncationCase cases[] = {
      {"Source info with extra fields", 0, Info(SourceInfo{}),
       Info(SourceInfo{.extraData = false}).size()},
      {"Source info", 1, Info(SourceInfo{.extraData = false}), kNoneWhole},
      {"The Ship's info", 1, Info(SourceInfo{.appId = 2400, .extraData = false}), kNoneWhole},
      {"GoldSrc info", 0, Info(GoldSrcInfo{}), kNoneWhole},
      {"GoldSrc mod info", 0, Info(GoldSrcInfo{.mod = true}), kNoneWhole},
      {"players", 3, Players({{"Bob", 5}, {"Eve", -1}}), kNoneWhole},
      {"challenge", 0, Challenge(0xDEADBEEF), kNoneWhole},
  };
  for (const TruncationCase& c : cases) {
    SCOPED_TRACE(c.name);
    for (std::size_t length = 0; length < c.reply.size(); ++length) {
      SCOPED_TRACE("cut to " + std::to_string(length) + " bytes");
      A2sHost host;
      const int32_t result = host.Receive(c.step, c.reply.substr(0, length));
      if (length == c.wholeAt) {
        EXPECT_EQ(result, SKARVEL_PARSE_COMPLETE);
        continue;
      }
      EXPECT_EQ(result, SKARVEL_PARSE_NOT_OURS);
      EXPECT_EQ(host.callbacks, 0);
    }
  }
}

} // namespace
