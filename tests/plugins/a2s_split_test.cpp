#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/plugins/A2sHost.h"
#include "tests/plugins/A2sReplies.h"

namespace {

using namespace a2s_replies;

std::vector<Player> ManyPlayerList(unsigned count, std::size_t nameLength) {
  std::vector<Player> players;
  for (unsigned i = 0; i < count; ++i)
    players.push_back(
        {std::string(nameLength, static_cast<char>('a' + i % 26)), static_cast<int32_t>(i)});
  return players;
}

// Players with names of `nameLength` bytes: a reply long enough to split.
std::string ManyPlayers(unsigned count, std::size_t nameLength) {
  return Players(ManyPlayerList(count, nameLength));
}

// 200 players, the last name lengthened so the reply is exactly `size` bytes.
std::string PlayersOfSize(std::size_t size) {
  std::vector<Player> players = ManyPlayerList(200, 60);
  players.back().name += std::string(size - Players(players).size(), 'z');
  return Players(players);
}

TEST(A2sSplitTest, PartsJoinInAnyOrder) {
  const std::string reply = ManyPlayers(40, 20);
  const std::vector<std::string> parts = SplitSource(reply, 0x1234, 400);
  ASSERT_EQ(parts.size(), 4u);
  std::vector<std::size_t> order{0, 1, 2, 3};
  do {
    A2sHost host;
    for (std::size_t i = 0; i + 1 < order.size(); ++i) {
      ASSERT_EQ(host.Receive(3, parts[order[i]]), SKARVEL_PARSE_PARTIAL);
      EXPECT_TRUE(host.listed);
      EXPECT_NE(host.challenge, 0);
    }
    ASSERT_EQ(host.Receive(3, parts[order.back()]), SKARVEL_PARSE_COMPLETE);
    ASSERT_EQ(host.players.size(), 40u);
    EXPECT_EQ(host.players.back(), (A2sHost::Player{std::string(20, 'n'), "39"}));
  } while (std::next_permutation(order.begin(), order.end()));
}

struct EngineCase {
  const char* name;
  std::string info; // the server's info reply, before its players
  bool goldSrcParts;
};

// GoldSrc servers number their parts in one byte; the server's info reply
// tells which kind it is.
TEST(A2sSplitTest, PartsAreReadTheWayTheServersEngineSplits) {
  const EngineCase cases[] = {
      {"Source", Info(SourceInfo{}), false},
      {"no info yet: Source", "", false},
      {"GoldSrc", Info(GoldSrcInfo{}), true},
      {"GoldSrc answering in the Source format",
       Info(SourceInfo{.game = "Counter-Strike", .appId = 10}), true},
  };
  const std::string reply = ManyPlayers(30, 30);
  for (const EngineCase& c : cases) {
    SCOPED_TRACE(c.name);
    A2sHost host;
    if (!c.info.empty()) {
      ASSERT_EQ(host.Receive(0, c.info), SKARVEL_PARSE_COMPLETE);
    }
    const std::vector<std::string> parts =
        c.goldSrcParts ? SplitGoldSrc(reply, 77, 500) : SplitSource(reply, 77, 500);
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_EQ(host.Receive(3, parts[2]), SKARVEL_PARSE_PARTIAL);
    EXPECT_EQ(host.Receive(3, parts[0]), SKARVEL_PARSE_PARTIAL);
    EXPECT_EQ(host.Receive(3, parts[1]), SKARVEL_PARSE_COMPLETE);
    EXPECT_EQ(host.players.size(), 30u);
  }
}

// A new server whose info comes split is listed on its first part, so the
// parts that follow find the parser that holds the first.
TEST(A2sSplitTest, SplitInfoListsANewServerOnItsFirstPart) {
  const std::vector<std::string> parts = SplitSource(Info(SourceInfo{}), 5, 40);
  A2sHost host;
  for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
    ASSERT_EQ(host.Receive(0, parts[i]), SKARVEL_PARSE_PARTIAL);
    EXPECT_TRUE(host.listed);
  }
  ASSERT_EQ(host.Receive(0, parts.back()), SKARVEL_PARSE_COMPLETE);
  EXPECT_EQ(host.info[SKARVEL_INFO_NAME], "Dust Bowl");
}

struct Datagram {
  int32_t step; // kNewPoll: a new poll begins (bytes and result unused)
  std::string bytes;
  int32_t result;
};
constexpr int32_t kNewPoll = -100;

struct SequenceCase {
  const char* name;
  std::vector<Datagram> datagrams;
  std::size_t players; // how many the host got in the end
};

TEST(A2sSplitTest, PartsThatDoNotFitTheReplyAreRefused) {
  const std::string reply = ManyPlayers(6, 10);
  const std::string first = reply.substr(0, 60);
  const std::string second = reply.substr(60);
  const std::string other = ManyPlayers(3, 4);
  const uint16_t size = 1248;
  constexpr int32_t kNone = SKARVEL_PARSE_NOT_OURS;
  constexpr int32_t kPart = SKARVEL_PARSE_PARTIAL;
  constexpr int32_t kWhole = SKARVEL_PARSE_COMPLETE;
  const SequenceCase cases[] = {
      {"in order",
       {{3, SourcePart(7, 2, 0, size, first), kPart},
        {3, SourcePart(7, 2, 1, size, second), kWhole}},
       6},
      {"total 0", {{3, SourcePart(7, 0, 0, size, first), kNone}}, 0},
      {"number not below the total", {{3, SourcePart(7, 2, 2, size, first), kNone}}, 0},
      {"more than 16 parts", {{3, SourcePart(7, 17, 0, size, first), kNone}}, 0},
      {"compressed", {{3, SourcePart(0x80000007, 2, 0, size, first), kNone}}, 0},
      {"longer than the size it announces", {{3, SourcePart(7, 2, 0, 59, first), kNone}}, 0},
      {"no bytes", {{3, SourcePart(7, 2, 0, size, ""), kNone}}, 0},
      {"GoldSrc number not below the total",
       {{0, Info(GoldSrcInfo{}), kWhole}, {3, GoldSrcPart(7, 2, 2, first), kNone}},
       0},
      {"GoldSrc total 0",
       {{0, Info(GoldSrcInfo{}), kWhole}, {3, GoldSrcPart(7, 0, 0, first), kNone}},
       0},
      {"another total",
       {{3, SourcePart(7, 2, 0, size, first), kPart},
        {3, SourcePart(7, 3, 1, size, second), kNone}},
       0},
      {"another size",
       {{3, SourcePart(7, 2, 0, size, first), kPart},
        {3, SourcePart(7, 2, 1, 1200, second), kNone}},
       0},
      {"the same part twice",
       {{3, SourcePart(7, 2, 0, size, first), kPart},
        {3, SourcePart(7, 2, 0, size, first), kNone},
        {3, SourcePart(7, 2, 1, size, second), kWhole}},
       6},
      {"another reply's part in the same step",
       {{3, SourcePart(7, 2, 0, size, first), kPart},
        {3, SourcePart(8, 2, 1, size, second), kNone}},
       0},
      {"a part of the reply already joined",
       {{3, SourcePart(7, 2, 0, size, first), kPart},
        {3, SourcePart(7, 2, 1, size, second), kWhole},
        {3, SourcePart(7, 2, 1, size, second), kNone}},
       6},
      {"a joined reply that is not whole",
       {{3, SourcePart(7, 2, 0, size, first), kPart},
        {3, SourcePart(7, 2, 1, size, second.substr(0, second.size() - 1)), kNone}},
       0},
      {"a joined reply that is a part again",
       {{3, SourcePart(7, 1, 0, size, SourcePart(8, 1, 0, size, other)), kNone}},
       0},
      {"a single part", {{3, SourcePart(7, 1, 0, size, other), kWhole}}, 3},
      {"a new reply in a later step starts afresh",
       {{2, SourcePart(7, 2, 0, size, first), kPart},
        {3, SourcePart(9, 2, 0, size, other.substr(0, 10)), kPart},
        {3, SourcePart(7, 2, 1, size, second), kNone}, // the last step's reply is gone
        {3, SourcePart(9, 2, 1, size, other.substr(10)), kWhole}},
       3},
      {"one reply across two steps",
       {{2, SourcePart(7, 2, 0, size, first), kPart},
        {3, SourcePart(7, 2, 1, size, second), kWhole}},
       6},
      {"a new poll forgets the parts",
       {{3, SourcePart(7, 2, 0, size, first), kPart},
        {kNewPoll, "", 0},
        {3, SourcePart(7, 2, 1, size, second), kPart}},
       0},
  };
  for (const SequenceCase& c : cases) {
    SCOPED_TRACE(c.name);
    A2sHost host;
    for (std::size_t i = 0; i < c.datagrams.size(); ++i) {
      const Datagram& datagram = c.datagrams[i];
      if (datagram.step == kNewPoll) {
        host.NewPoll();
        continue;
      }
      EXPECT_EQ(host.Receive(datagram.step, datagram.bytes), datagram.result) << "datagram " << i;
    }
    EXPECT_EQ(host.players.size(), c.players);
  }
}

TEST(A2sSplitTest, EveryTruncationOfAPartHeaderIsRefused) {
  const struct {
    bool goldSrc;
    std::string part; // with one byte of the reply
  } cases[] = {{false, SourcePart(7, 2, 0, 1248, "x")}, {true, GoldSrcPart(7, 2, 0, "x")}};
  for (const auto& c : cases) {
    for (std::size_t length = 0; length < c.part.size(); ++length) {
      SCOPED_TRACE((c.goldSrc ? "GoldSrc, " : "Source, ") + std::to_string(length));
      A2sHost host;
      if (c.goldSrc) {
        ASSERT_EQ(host.Receive(0, Info(GoldSrcInfo{})), SKARVEL_PARSE_COMPLETE);
      }
      EXPECT_EQ(host.Receive(3, c.part.substr(0, length)), SKARVEL_PARSE_NOT_OURS);
    }
  }
}

// At most 16 KiB in all: a reply of exactly that joins; one byte more never
// does, as its last part would pass the bound.
TEST(A2sSplitTest, RepliesAreBoundedInSize) {
  const struct {
    std::size_t size;
    std::size_t partSize;
    int32_t lastResult;
    std::size_t players;
  } cases[] = {{16384, 1024, SKARVEL_PARSE_COMPLETE, 200},
               {16385, 1025, SKARVEL_PARSE_NOT_OURS, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.size) + " bytes");
    const std::vector<std::string> parts = SplitSource(PlayersOfSize(c.size), 3, c.partSize);
    ASSERT_EQ(parts.size(), 16u);
    A2sHost host;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i)
      ASSERT_EQ(host.Receive(3, parts[i]), SKARVEL_PARSE_PARTIAL);
    EXPECT_EQ(host.Receive(3, parts.back()), c.lastResult);
    EXPECT_EQ(host.players.size(), c.players);
  }
}

} // namespace
