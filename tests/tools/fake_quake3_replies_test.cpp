#include "KeyValueText.h"
#include "TestServerState.h"
#include "tools/fakeserver/Quake3Replies.h"

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;

const std::string kHeader = "\xFF\xFF\xFF\xFF";

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start));
  lines.push_back(text.substr(start));
  return lines;
}

TEST(FakeQuake3Replies, StatusResponseHasVariablesAndColourCodedPlayerLines) {
  const ServerState state = TestServerState(3, true);
  Quake3Replies replies;
  const std::vector<std::string> datagrams = replies.Answer(kHeader + "getstatus", state);
  ASSERT_EQ(datagrams.size(), 1u);
  const std::vector<std::string> lines = Lines(datagrams[0]);
  ASSERT_EQ(lines.size(), 6u); // header, variables, 3 players, empty rest after the last LF
  EXPECT_EQ(lines[0], kHeader + "statusResponse");
  const KeyValues variables = ParseKeyValues(lines[1]);
  EXPECT_EQ(ValueOf(variables, "sv_hostname"), "Test Arena");
  EXPECT_EQ(ValueOf(variables, "mapname"), "dm-test");
  EXPECT_EQ(ValueOf(variables, "fraglimit"), "25");
  EXPECT_EQ(ValueOf(variables, "sv_maxclients"), "12");
  EXPECT_EQ(ValueOf(variables, "challenge"), "<missing>");
  const std::vector<std::string> names = {"^1Red^7Baron", "^2Bob", "J\xF6rg"};
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(lines[2 + i], std::to_string(state.Players()[i].frags) + " " +
                                std::to_string(state.Players()[i].ping) + " \"" + names[i] + "\"");
  EXPECT_EQ(lines[5], "");
}

TEST(FakeQuake3Replies, AGivenChallengeIsEchoedUnlessItWouldBreakTheSyntax) {
  Quake3Replies replies;
  const ServerState state = TestServerState(0);
  auto challenge = [&](const std::string& request) {
    return ValueOf(ParseKeyValues(Lines(replies.Answer(request, state).at(0)).at(1)), "challenge");
  };
  EXPECT_EQ(challenge(kHeader + "getstatus 123abc\n"), "123abc");
  EXPECT_EQ(challenge(kHeader + "getinfo xyz more"), "xyz");
  EXPECT_EQ(challenge(kHeader + "getstatus a\\b"), "<missing>");
}

TEST(FakeQuake3Replies, InfoResponseCountsClients) {
  Quake3Replies replies;
  const std::vector<std::string> datagrams =
      replies.Answer(kHeader + "getinfo\n", TestServerState(2));
  ASSERT_EQ(datagrams.size(), 1u);
  const std::vector<std::string> lines = Lines(datagrams[0]);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], kHeader + "infoResponse");
  const KeyValues info = ParseKeyValues(lines[1]);
  EXPECT_EQ(ValueOf(info, "hostname"), "Test Arena");
  EXPECT_EQ(ValueOf(info, "clients"), "2");
  EXPECT_EQ(ValueOf(info, "sv_maxclients"), "12");
  EXPECT_EQ(ValueOf(info, "protocol"), "68");
}

TEST(FakeQuake3Replies, EmptyServerSendsNoPlayerLines) {
  Quake3Replies replies;
  const std::string reply = replies.Answer(kHeader + "getstatus", TestServerState(0)).at(0);
  EXPECT_EQ(Lines(reply).size(), 3u);
  EXPECT_TRUE(reply.ends_with("\n"));
}

TEST(FakeQuake3Replies, OtherRequestsGetNoAnswer) {
  Quake3Replies replies;
  const ServerState state = TestServerState(1);
  for (const std::string& request :
       {""s, "getstatus"s, kHeader + "status"s, kHeader + "getstatusx"s, kHeader + "info 34"s})
    EXPECT_TRUE(replies.Answer(request, state).empty()) << request;
}

} // namespace
