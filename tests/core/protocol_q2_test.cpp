#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocols/Factories.h"
#include "protocols/server_q2.h"
#include "tests/support/ProtocolHarness.h"

namespace {

using Player = ProtocolHarness::Player;

class Q2Test : public ::testing::Test {
protected:
  ProtocolHarness q2{&CreateQueryOf<TQueryQ2>, &CreateServerOf<TServerQ2>};
};

const std::string kHeader = "\xFF\xFF\xFF\xFFprint\n";

TEST_F(Q2Test, BuilderSendsInfo34Once) {
  EXPECT_EQ(q2.PacketCount(), 1);
  EXPECT_FALSE(q2.PerServer(0));
  EXPECT_EQ(q2.Build(0), std::string("\xFF\xFF\xFF\xFFinfo 34"));
  EXPECT_EQ(q2.Build(1), "<none>");
  EXPECT_EQ(q2.Build(-1), "<none>");
}

TEST_F(Q2Test, ReplyFields) {
  struct Case {
    const char* name;
    std::string reply;
    std::array<std::string, 5> info;
    std::vector<Player> players;
  } cases[] = {
      {"three players",
       kHeader + "Big Frag Arena   q2dm1    3/16\n",
       {"Big Frag Arena", "q2dm1", "", "3/16", ""},
       {{"Player1", ""}, {"Player2", ""}, {"Player3", ""}}},
      {"empty server", kHeader + "Arena q2dm2 0/16\n", {"Arena", "q2dm2", "", "0/16", ""}, {}},
      {"no blank at all", kHeader + "lonely\n", {"lonely", "", "", "", ""}, {}},
      {"ends after the map", kHeader + "Arena q2dm3\n", {"Arena", "", "", "q2dm3", ""}, {}},
      {"blank host name",
       kHeader + "     q2dm1 1/8\n",
       {"", "q2dm1", "", "1/8", ""},
       {{"Player1", ""}}},
      {"players not a number",
       kHeader + "Arena q2dm1 x/16\n",
       {"Arena", "q2dm1", "", "x/16", ""},
       {}},
      {"counts without slash",
       kHeader + "Arena q2dm1 2\n",
       {"Arena", "q2dm1", "", "2", ""},
       {{"Player1", ""}, {"Player2", ""}}},
      {"no line end",
       "\xFF\xFF\xFF\xFF"
       "Arena q2dm1 1/8",
       {"", "q2dm1", "", "1/8", ""},
       {{"Player1", ""}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    q2.ClearRecord();
    EXPECT_EQ(q2.Parse(c.reply), SKARVEL_PARSE_COMPLETE);
    EXPECT_EQ(q2.info, c.info);
    EXPECT_EQ(q2.players, c.players);
    EXPECT_EQ(q2.challenge, 0);
    EXPECT_EQ(q2.listed, 1);
  }
}

TEST_F(Q2Test, InfoComesAfterThePlayersInOneList) {
  q2.Parse(kHeader + "Arena q2dm1 1/8\n");
  ASSERT_EQ(q2.calls.size(), 2u);
  EXPECT_EQ(q2.calls[0].kind, ProtocolHarness::Call::AddPlayer);
  EXPECT_EQ(q2.calls[1],
            (ProtocolHarness::Call{
                ProtocolHarness::Call::SetInfoList, 5, {"Arena", "q2dm1", "", "1/8", ""}}));
}

TEST_F(Q2Test, OtherRepliesAreNotOurs) {
  for (const std::string& reply :
       {std::string(), std::string("\\hostname\\x\\"), std::string("\x80\0\0\0\0", 5)}) {
    q2.ClearRecord();
    EXPECT_EQ(q2.Parse(reply), SKARVEL_PARSE_NOT_OURS);
    EXPECT_TRUE(q2.calls.empty());
  }
}

TEST_F(Q2Test, HostileCountsStayBounded) {
  q2.Parse(kHeader + "Arena q2dm1 2147483647/16\n");
  EXPECT_EQ(q2.players.size(), 256u);
  q2.ClearRecord();
  q2.Parse(kHeader + "Arena q2dm1 -5/16\n");
  EXPECT_TRUE(q2.players.empty());
}

TEST_F(Q2Test, EveryTruncationParsesSafely) {
  const std::string reply = kHeader + "Big Frag Arena   q2dm1    3/16\n";
  for (std::size_t length = 0; length <= reply.size(); ++length) {
    q2.ClearRecord();
    const int32_t result = q2.Parse(reply.substr(0, length));
    EXPECT_EQ(result, length == 0 ? SKARVEL_PARSE_NOT_OURS : SKARVEL_PARSE_COMPLETE);
  }
}

} // namespace
