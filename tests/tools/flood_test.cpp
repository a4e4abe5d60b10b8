#include "tools/fakeserver/GameProfile.h"
#include "tools/fakeserver/ReplyBuilderFactory.h"
#include "tools/flood/FloodOptions.h"
#include "tools/flood/ReplyScreen.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

TEST(FloodOptions, DefaultsAndEveryOption) {
  const TParsedFloodOptions defaults = ParseFloodOptions({});
  ASSERT_EQ(defaults.error, "");
  EXPECT_EQ(defaults.options.target.host, "127.0.0.1");
  EXPECT_EQ(defaults.options.target.port, 1024);
  EXPECT_EQ(defaults.options.rate, 50000);
  EXPECT_EQ(defaults.options.seconds, 60);

  const TParsedFloodOptions parsed =
      ParseFloodOptions({"--to", "127.0.0.9:2000", "--server", "127.0.0.1:7778", "--server",
                         "127.1.2.3:27960", "--rate", "200000", "--seconds", "600", "--seed", "7"});
  ASSERT_EQ(parsed.error, "");
  EXPECT_EQ(parsed.options.target.host, "127.0.0.9");
  EXPECT_EQ(parsed.options.target.port, 2000);
  ASSERT_EQ(parsed.options.servers.size(), 2u);
  EXPECT_EQ(parsed.options.servers[1].host, "127.1.2.3");
  EXPECT_EQ(parsed.options.rate, 200000);
  EXPECT_EQ(parsed.options.seconds, 600);
  EXPECT_EQ(parsed.options.seed, 7u);
}

// The flood never leaves loopback and never runs unbounded.
TEST(FloodOptions, RefusesWhatIsNotLoopbackOrNotBounded) {
  const std::vector<std::vector<std::string>> cases = {
      {"--to", "192.168.1.255:1024"},
      {"--to", "10.0.0.1:1024"},
      {"--to", "localhost:1024"},
      {"--server", "8.8.8.8:53"},
      {"--to", "127.0.0.1"},
      {"--to", "127.0.0.1:0"},
      {"--to", "127.0.0.1:65536"},
      {"--rate", "0"},
      {"--rate", "200001"},
      {"--seconds", "0"},
      {"--seconds", "601"},
      {"--seconds", "1.5"},
      {"--rate"},
      {"--volume", "11"},
  };
  for (const auto& args : cases) {
    SCOPED_TRACE(::testing::PrintToString(args));
    EXPECT_NE(ParseFloodOptions(args).error, "");
  }
}

// What the flood sends is screened with the built-in parsers: every real
// reply of every game is seen as one, so none of them is ever sent.
TEST(FloodReplyScreen, EveryGamesRealRepliesAreReplies) {
  const std::vector<std::pair<const char*, std::string>> requests = {
      {"ut", "\\status\\"},
      {"u4", "\x78\0\0\0\0"s},
      {"u4", "\x78\0\0\0\x01"s},
      {"u4", "\x78\0\0\0\x02"s},
      {"q2", "\xFF\xFF\xFF\xFFinfo 34"},
      {"q3", "\xFF\xFF\xFF\xFFgetstatus"},
      {"cs", "\xFF\xFF\xFF\xFF"
             "details"},
      {"cs", "\xFF\xFF\xFF\xFF"
             "players"},
      {"csp", "\xFF\xFF\xFF\xFFW"},
      {"csp", "\xFF\xFF\xFF\xFFTSource Engine Query\0"s},
      {"css", "\xFF\xFF\xFF\xFFTSource Engine Query\0"s},
  };
  const TReplyScreen screen;
  for (const auto& [gameKey, request] : requests) {
    SCOPED_TRACE(gameKey);
    const GameProfile* profile = FindGameProfile(gameKey);
    ServerSetup setup;
    setup.name = "Screened";
    setup.map = profile->defaultMap;
    setup.address = "127.0.0.1";
    setup.gamePort = profile->defaultGamePort;
    setup.queryPort = profile->defaultGamePort + profile->queryPortOffset;
    setup.initialPlayers = 2;
    const ServerState state(setup);
    const std::vector<std::string> replies = MakeReplyBuilder(gameKey, 1)->Answer(request, state);
    ASSERT_FALSE(replies.empty());
    for (const std::string& reply : replies)
      EXPECT_TRUE(screen.IsReply(reply));
  }
  for (const std::string& garbage : {""s, "hello"s, "\xFF\xFF\xFF\xFF"s, "\x80\0\0\0\x02\x01"s})
    EXPECT_FALSE(screen.IsReply(garbage));
}

} // namespace
