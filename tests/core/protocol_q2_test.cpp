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

const std::string kHeader = "\xFF\xFF\xFF\xFFinfo\n";

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
       {"Big Frag Arena", "q2dm1", "", "3", "16"},
       {{"Player1", ""}, {"Player2", ""}, {"Player3", ""}}},
      // The server prints "%16s %8s %2i/%2i\n": a maximum below 10 keeps its blank.
      {"as the server pads it",
       kHeader + "      Small Room    q2dm8  2/ 8\n",
       {"Small Room", "q2dm8", "", "2", "8"},
       {{"Player1", ""}, {"Player2", ""}}},
      {"empty server", kHeader + "Arena q2dm2 0/16\n", {"Arena", "q2dm2", "", "0", "16"}, {}},
      {"leading zeros",
       kHeader + "Arena q2dm2 01/016\n",
       {"Arena", "q2dm2", "", "1", "16"},
       {{"Player1", ""}}},
      {"no blank at all", kHeader + "lonely\n", {"lonely", "", "", "", ""}, {}},
      {"ends after the map", kHeader + "Arena q2dm3\n", {"Arena", "", "", "", ""}, {}},
      {"wrong version", kHeader + "Arena: wrong version\n", {"Arena:", "wrong", "", "", ""}, {}},
      {"blank host name",
       kHeader + "     q2dm1 1/8\n",
       {"", "q2dm1", "", "1", "8"},
       {{"Player1", ""}}},
      {"players not a number", kHeader + "Arena q2dm1 x/16\n", {"Arena", "q2dm1", "", "", ""}, {}},
      {"maximum not a number", kHeader + "Arena q2dm1 3/x\n", {"Arena", "q2dm1", "", "", ""}, {}},
      {"negative players", kHeader + "Arena q2dm1 -5/16\n", {"Arena", "q2dm1", "", "", ""}, {}},
      {"blank before the slash",
       kHeader + "Arena q2dm1 3 /16\n",
       {"Arena q2dm1", "3", "", "", ""},
       {}},
      {"counts without slash", kHeader + "Arena q2dm1 2\n", {"Arena", "q2dm1", "", "", ""}, {}},
      {"more than 32 bits",
       kHeader + "Arena q2dm1 3/4294967296\n",
       {"Arena", "q2dm1", "", "", ""},
       {}},
      {"no line end", kHeader + "Arena q2dm1 1/8", {"Arena", "q2dm1", "", "", ""}, {}},
      {"Latin-1 host name",
       kHeader + "Ar\xE9na q2dm1 0/8\n",
       {"Ar\xE9na", "q2dm1", "", "0", "8"},
       {}},
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
                ProtocolHarness::Call::SetInfoList, 5, {"Arena", "q2dm1", "", "1", "8"}}));
}

// Anything that is not the reply word and one line of text, such as stray
// datagrams that begin with 0xFF, lists no server and delivers nothing.
TEST_F(Q2Test, DatagramsThatAreNoInfoReplyAreNotOurs) {
  const std::string cases[] = {
      "",
      "\\hostname\\x\\",
      std::string("\x80\0\0\0\0", 5),
      "\xFF",
      "\xFF\x13\x37 random 3/16\n",
      std::string(4, '\xFF') + "Arena q2dm1 1/8\n",         // no reply word
      "\xFF\xFF\xFF\xFFprint\nArena q2dm1 1/8\n",           // another reply word
      "\xFF\xFF\xFF\xFFstatusResponse\n\\sv_hostname\\x\n", // a Quake 3 reply
      kHeader + "Arena q2dm1 1/8\n\n",                      // a second line
      kHeader + "Arena\nq2dm1 1/8\n",
      kHeader + "Ar\x01na q2dm1 1/8\n", // a control character
      kHeader + std::string("Arena\0q2dm1 1/8\n", 16),
  };
  for (const std::string& reply : cases) {
    SCOPED_TRACE(::testing::PrintToString(reply));
    q2.ClearRecord();
    EXPECT_EQ(q2.Parse(reply), SKARVEL_PARSE_NOT_OURS);
    EXPECT_TRUE(q2.calls.empty());
  }
}

TEST_F(Q2Test, HostileCountsStayBounded) {
  q2.Parse(kHeader + "Arena q2dm1 2147483647/16\n");
  EXPECT_EQ(q2.players.size(), 256u);
  EXPECT_EQ(q2.info[3], "2147483647");
}

// A reply cut anywhere, even inside the counts word ("3/1" of "3/16"), gives
// no counts and no players; only the whole line does.
TEST_F(Q2Test, EveryTruncationGivesNoCounts) {
  const std::string reply = kHeader + "Big Frag Arena   q2dm1    3/16\n";
  for (std::size_t length = 0; length <= reply.size(); ++length) {
    SCOPED_TRACE(length);
    q2.ClearRecord();
    const int32_t result = q2.Parse(reply.substr(0, length));
    EXPECT_EQ(result, length < kHeader.size() ? SKARVEL_PARSE_NOT_OURS : SKARVEL_PARSE_COMPLETE);
    const bool whole = length == reply.size();
    EXPECT_EQ(q2.info[3], whole ? "3" : "");
    EXPECT_EQ(q2.info[4], whole ? "16" : "");
    EXPECT_EQ(q2.players.size(), whole ? 3u : 0u);
  }
}

} // namespace
