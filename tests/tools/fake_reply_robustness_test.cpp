#include "TestServerState.h"
#include "tools/fakeserver/GameProfile.h"
#include "tools/fakeserver/ReplyBuilderFactory.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using namespace std::string_literals;

// Requests each game answers, cut and bent below into what a hostile or
// broken client might send.
const std::vector<std::string> kValidRequests = {
    "\\status\\"s,
    "\x78\x00\x00\x00\x00"s,
    "\x78\x00\x00\x00\x03"s,
    "\xFF\xFF\xFF\xFFinfo 34"s,
    "\xFF\xFF\xFF\xFFstatus"s,
    "\xFF\xFF\xFF\xFFgetstatus"s,
    "\xFF\xFF\xFF\xFFgetinfo x"s,
    "\xFF\xFF\xFF\xFF"
    "details\0"s,
    "\xFF\xFF\xFF\xFFW"s,
    "\xFF\xFF\xFF\xFFTSource Engine Query\0"s,
    "\xFF\xFF\xFF\xFFU\xFF\xFF\xFF\xFF"s,
    "\xFF\xFF\xFF\xFFTSource Engine Query\0\x01\x02\x03\x04"s,
};

class FakeReplyRobustness : public testing::TestWithParam<std::string> {};

TEST_P(FakeReplyRobustness, SurvivesRandomCutAndHugeRequests) {
  std::unique_ptr<ReplyBuilder> replies = MakeReplyBuilder(GetParam(), 1);
  ASSERT_TRUE(replies);
  const ServerState state = TestServerState(5, true);
  std::mt19937 random(99);
  auto randomBytes = [&random](std::size_t size) {
    std::string bytes(size, '\0');
    for (char& byte : bytes)
      byte = static_cast<char>(std::uniform_int_distribution<int>(0, 255)(random));
    return bytes;
  };

  EXPECT_TRUE(replies->Answer("", state).empty());
  for (int i = 0; i < 2000; ++i)
    replies->Answer(randomBytes(std::uniform_int_distribution<std::size_t>(0, 64)(random)), state);
  for (const std::string& valid : kValidRequests) {
    for (std::size_t length = 0; length <= valid.size(); ++length)
      replies->Answer(valid.substr(0, length), state);
    for (int i = 0; i < 200; ++i)
      replies->Answer(valid + randomBytes(std::uniform_int_distribution<std::size_t>(1, 8)(random)),
                      state);
  }
  for (const std::string& huge :
       {randomBytes(65507), std::string(65507, '\\'), "\xFF\xFF\xFF\xFF" + std::string(65503, ' '),
        "\\echo\\" + std::string(65000, 'x')})
    for (const std::string& reply : replies->Answer(huge, state))
      EXPECT_LE(reply.size(), 65507u); // still one UDP datagram
}

INSTANTIATE_TEST_SUITE_P(Games, FakeReplyRobustness,
                         testing::Values("ut", "u4", "q2", "q3", "cs", "csp", "css", "a2s"),
                         [](const testing::TestParamInfo<std::string>& test) {
                           return test.param;
                         });

TEST(FakeReplyBuilderFactory, MakesABuilderForEveryKnownGameOnly) {
  for (const GameProfile& profile : GameProfiles())
    EXPECT_TRUE(MakeReplyBuilder(profile.key, 1)) << profile.key;
  EXPECT_FALSE(MakeReplyBuilder("UT", 1));
  EXPECT_FALSE(MakeReplyBuilder("", 1));
}

} // namespace
