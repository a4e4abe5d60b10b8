#include "ReplyReader.h"
#include "TestServerState.h"
#include "tools/fakeserver/Ut2004Replies.h"

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;

std::string Request(char type, char start = '\x78') {
  return start + "\x00\x00\x00"s + type;
}

// Header 80 00 00 00 and the reply type; the reader stands after them.
ReplyReader Open(const std::string& reply, uint8_t type) {
  ReplyReader reader(reply);
  EXPECT_EQ(reader.Int32(), 0x80);
  EXPECT_EQ(reader.Byte(), type);
  return reader;
}

TEST(FakeUt2004Replies, ServerInfoHasTheEngineLayout) {
  Ut2004Replies replies;
  const std::vector<std::string> datagrams = replies.Answer(Request(0), TestServerState(3));
  ASSERT_EQ(datagrams.size(), 1u);
  ReplyReader reader = Open(datagrams[0], 0);
  EXPECT_EQ(reader.Int32(), 0);        // server id
  EXPECT_EQ(reader.CompactText(), ""); // address, left to the master server
  EXPECT_EQ(reader.Int32(), 7777);     // game port
  EXPECT_EQ(reader.Int32(), 7778);     // query port
  EXPECT_EQ(reader.Cursor(), 18u);     // where clients expect the server name
  EXPECT_EQ(reader.CompactText(), "Test Arena");
  EXPECT_EQ(reader.CompactText(), "dm-test");
  EXPECT_EQ(reader.CompactText(), "xDeathMatch");
  EXPECT_EQ(reader.Int32(), 3);
  EXPECT_EQ(reader.Int32(), 12);
  reader.Int32();       // ping
  reader.Int32();       // flags
  reader.CompactText(); // skill
  EXPECT_TRUE(reader.AtEnd());
}

TEST(FakeUt2004Replies, RulesArePairsIncludingTheGoalScore) {
  Ut2004Replies replies;
  const std::vector<std::string> datagrams = replies.Answer(Request(1), TestServerState(0));
  ASSERT_EQ(datagrams.size(), 1u);
  ReplyReader reader = Open(datagrams[0], 1);
  std::map<std::string, std::string> rules;
  while (!reader.AtEnd()) {
    std::string key = reader.CompactText();
    rules[key] = reader.CompactText();
  }
  EXPECT_EQ(rules["GoalScore"], "25");
  EXPECT_EQ(rules["TimeLimit"], "20");
}

TEST(FakeUt2004Replies, PlayersCarryIdNamePingScoreAndStatsId) {
  const ServerState state = TestServerState(3);
  Ut2004Replies replies;
  const std::vector<std::string> datagrams = replies.Answer(Request(2), state);
  ASSERT_EQ(datagrams.size(), 1u);
  ReplyReader reader = Open(datagrams[0], 2);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(reader.Int32(), i + 1);
    EXPECT_EQ(reader.CompactText(), state.Players()[i].name);
    EXPECT_EQ(reader.Int32(), state.Players()[i].ping);
    EXPECT_EQ(reader.Int32(), state.Players()[i].frags);
    EXPECT_EQ(reader.Int32(), 0);
  }
  EXPECT_TRUE(reader.AtEnd());
}

TEST(FakeUt2004Replies, NonAsciiNamesGoAsUtf16AsciiNamesAsBytes) {
  Ut2004Replies replies;
  const std::string players = replies.Answer(Request(2), TestServerState(3)).at(0);
  // "Jörg": 0x80 + 5 units (NUL included), then UTF-16LE.
  EXPECT_EQ(players.substr(9, 11), "\x85J\0\xF6\0r\0g\0\0\0"s);
  // "Sarge" after two entries: plain length byte 6 and the bytes with NUL.
  EXPECT_NE(players.find("\x06Sarge\0"s), std::string::npos);
}

TEST(FakeUt2004Replies, RulesAndPlayersRequestGetsBothDatagrams) {
  Ut2004Replies replies;
  const std::vector<std::string> datagrams = replies.Answer(Request(3), TestServerState(1));
  ASSERT_EQ(datagrams.size(), 2u);
  EXPECT_EQ(static_cast<uint8_t>(datagrams[0][4]), 1);
  EXPECT_EQ(static_cast<uint8_t>(datagrams[1][4]), 2);
}

// Other clients start their queries with 0x79; the server answers them with
// the very datagrams a 0x78 query gets.
TEST(FakeUt2004Replies, QueriesStartingWith79GetTheSameReplies) {
  Ut2004Replies replies;
  const ServerState state = TestServerState(2);
  for (const char type : {'\0', '\1', '\2', '\3'}) {
    SCOPED_TRACE(static_cast<int>(type));
    const std::vector<std::string> answer = replies.Answer(Request(type, '\x79'), state);
    EXPECT_FALSE(answer.empty());
    EXPECT_EQ(answer, replies.Answer(Request(type), state));
  }
}

TEST(FakeUt2004Replies, OtherRequestsGetNoAnswer) {
  Ut2004Replies replies;
  const ServerState state = TestServerState(1);
  for (const std::string& request : {""s, "\x78\x00\x00\x00"s, Request(4), Request('\xFF'),
                                     Request(0, '\x77'), Request(0, '\x7A'), Request(0, '\x80'),
                                     "\x79\x00\x01\x00\x00"s, Request(0) + "x", "\\status\\"s})
    EXPECT_TRUE(replies.Answer(request, state).empty());
}

} // namespace
