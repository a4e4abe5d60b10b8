#include "TestServerState.h"
#include "tools/fakeserver/Quake2Replies.h"

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;

const std::string kHeader = "\xFF\xFF\xFF\xFF";

class FakeQuake2InfoRequest : public testing::TestWithParam<std::string> {};

TEST_P(FakeQuake2InfoRequest, GetsTheRightAlignedInfoLine) {
  Quake2Replies replies;
  const std::vector<std::string> datagrams = replies.Answer(GetParam(), TestServerState(3));
  ASSERT_EQ(datagrams.size(), 1u);
  EXPECT_EQ(datagrams[0], kHeader + "info\n      Test Arena  dm-test  3/12\n");
}

INSTANTIATE_TEST_SUITE_P(Spellings, FakeQuake2InfoRequest,
                         testing::Values(kHeader + "info 34", kHeader + "info 34\n",
                                         kHeader + "info 34\0"s));

TEST(FakeQuake2Replies, InfoForAnotherProtocolSaysWrongVersion) {
  Quake2Replies replies;
  EXPECT_EQ(replies.Answer(kHeader + "info 35", TestServerState(0)),
            std::vector<std::string>{kHeader + "info\nTest Arena: wrong version\n"});
  EXPECT_EQ(replies.Answer(kHeader + "info", TestServerState(0)),
            std::vector<std::string>{kHeader + "info\nTest Arena: wrong version\n"});
}

TEST(FakeQuake2Replies, InfoLineIsCutToTheServersBuffer) {
  ServerSetup setup;
  setup.name = std::string(80, 'N');
  setup.map = "q2dm1";
  Quake2Replies replies;
  const std::string reply = replies.Answer(kHeader + "info 34", ServerState(setup)).at(0);
  EXPECT_EQ(reply, kHeader + "info\n" + std::string(63, 'N'));
}

TEST(FakeQuake2Replies, StatusPrintsVariablesThenOnePlayerLineEach) {
  const ServerState state = TestServerState(2);
  Quake2Replies replies;
  const std::vector<std::string> datagrams = replies.Answer(kHeader + "status 23\n", state);
  ASSERT_EQ(datagrams.size(), 1u);
  const std::string& reply = datagrams[0];
  ASSERT_TRUE(reply.starts_with(kHeader + "print\n\\"));
  const std::size_t variablesEnd = reply.find('\n', kHeader.size() + 6);
  const std::string variables = reply.substr(kHeader.size() + 6, variablesEnd - kHeader.size() - 6);
  for (const std::string& pair :
       {"\\hostname\\Test Arena"s, "\\mapname\\dm-test"s, "\\maxclients\\12"s, "\\protocol\\34"s})
    EXPECT_NE(variables.find(pair), std::string::npos) << pair;
  const std::string players = reply.substr(variablesEnd + 1);
  EXPECT_EQ(players, std::to_string(state.Players()[0].frags) + " " +
                         std::to_string(state.Players()[0].ping) + " \"J\xF6rg\"\n" +
                         std::to_string(state.Players()[1].frags) + " " +
                         std::to_string(state.Players()[1].ping) + " \"Zo\xEB\"\n");
}

TEST(FakeQuake2Replies, PingIsAcknowledgedAndOtherRequestsIgnored) {
  Quake2Replies replies;
  const ServerState state = TestServerState(1);
  EXPECT_EQ(replies.Answer(kHeader + "ping", state), std::vector<std::string>{kHeader + "ack"});
  for (const std::string& request :
       {""s, "info 34"s, kHeader, kHeader + "getstatus"s, kHeader + "INFO 34"s, "\\status\\"s})
    EXPECT_TRUE(replies.Answer(request, state).empty()) << request;
}

} // namespace
