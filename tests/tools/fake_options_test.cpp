#include "tools/fakeserver/EmulatorOptions.h"

#include <gtest/gtest.h>

namespace {

TEST(FakeEmulatorOptions, GameDefaultsFillWhatIsNotGiven) {
  const ParsedOptions ut = ParseEmulatorOptions({"--game", "ut"});
  ASSERT_EQ(ut.error, "");
  EXPECT_EQ(ut.options.gamePort, 7777);
  EXPECT_EQ(ut.options.queryPort, 7778);
  EXPECT_EQ(ut.options.bindAddress, "127.0.0.1");
  EXPECT_EQ(ut.options.count, 1);
  EXPECT_EQ(ut.options.hosts, 0);
  EXPECT_EQ(ut.options.map, "DM-Deck16][");

  const ParsedOptions css = ParseEmulatorOptions({"--game", "css", "--port", "27100"});
  ASSERT_EQ(css.error, "");
  EXPECT_EQ(css.options.gamePort, 27100);
  EXPECT_EQ(css.options.queryPort, 27100);
}

TEST(FakeEmulatorOptions, EveryOptionIsTakenOver) {
  const ParsedOptions parsed = ParseEmulatorOptions(
      {"--game",  "q3",    "--port", "30000", "--bind",         "127.0.0.5", "--count",   "3",
       "--name",  "Zoë's", "--map",  "q3dm6", "--max",          "8",         "--players", "8",
       "--churn", "0.5",   "--drop", "30",    "--out-of-order", "--seed",    "4294967295"});
  ASSERT_EQ(parsed.error, "");
  const EmulatorOptions& options = parsed.options;
  EXPECT_EQ(options.gameKey, "q3");
  EXPECT_EQ(options.queryPort, 30000);
  EXPECT_EQ(options.bindAddress, "127.0.0.5");
  EXPECT_EQ(options.count, 3);
  EXPECT_EQ(options.name, "Zoë's");
  EXPECT_EQ(options.map, "q3dm6");
  EXPECT_EQ(options.maxPlayers, 8);
  EXPECT_EQ(options.players, 8);
  EXPECT_DOUBLE_EQ(options.churnSeconds, 0.5);
  EXPECT_EQ(options.dropPercent, 30);
  EXPECT_TRUE(options.outOfOrder);
  EXPECT_EQ(options.seed, 4294967295u);
}

TEST(FakeEmulatorOptions, A2sChallengesAndSplitsLikeTodaysServersUnlessTold) {
  const ParsedOptions defaults = ParseEmulatorOptions({"--game", "a2s"});
  ASSERT_EQ(defaults.error, "");
  EXPECT_EQ(defaults.options.queryPort, 27015);
  EXPECT_TRUE(defaults.options.a2s.challenge);
  EXPECT_EQ(defaults.options.a2s.splitBytes, 1200u);

  const ParsedOptions given =
      ParseEmulatorOptions({"--game", "a2s", "--no-challenge", "--split", "64"});
  ASSERT_EQ(given.error, "");
  EXPECT_FALSE(given.options.a2s.challenge);
  EXPECT_EQ(given.options.a2s.splitBytes, 64u);
  EXPECT_EQ(ParseEmulatorOptions({"--split", "65507", "--game", "a2s"}).options.a2s.splitBytes,
            65507u);
}

TEST(FakeEmulatorOptions, HostsAndHelp) {
  const ParsedOptions hosts = ParseEmulatorOptions({"--game", "u4", "--hosts", "4000"});
  ASSERT_EQ(hosts.error, "");
  EXPECT_EQ(hosts.options.hosts, 4000);
  const ParsedOptions help = ParseEmulatorOptions({"--help", "--nonsense"});
  EXPECT_EQ(help.error, "");
  EXPECT_TRUE(help.options.help);
  EXPECT_NE(EmulatorUsage().find("--out-of-order"), std::string::npos);
}

struct InvalidCase {
  std::vector<std::string> args;
  std::string errorMentions;
};

class FakeEmulatorOptionsInvalid : public testing::TestWithParam<InvalidCase> {};

TEST_P(FakeEmulatorOptionsInvalid, IsRejectedWithAReason) {
  const ParsedOptions parsed = ParseEmulatorOptions(GetParam().args);
  EXPECT_NE(parsed.error.find(GetParam().errorMentions), std::string::npos) << parsed.error;
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, FakeEmulatorOptionsInvalid,
    testing::Values(
        InvalidCase{{}, "--game is required"}, InvalidCase{{"--game"}, "--game"},
        InvalidCase{{"--game", "quake"}, "--game"}, InvalidCase{{"--game", "UT"}, "--game"},
        InvalidCase{{"--game", "ut", "--port", "0"}, "--port"},
        InvalidCase{{"--game", "ut", "--port", "65536"}, "--port"},
        InvalidCase{{"--game", "ut", "--port", "12ab"}, "--port"},
        InvalidCase{{"--game", "ut", "--port", "65535"}, "below 65536"}, // query port 65536
        InvalidCase{{"--game", "q3", "--port", "65534", "--count", "3"}, "below 65536"},
        InvalidCase{{"--game", "q3", "--bind", "192.168.1.2"}, "--bind"},
        InvalidCase{{"--game", "q3", "--bind", "localhost"}, "--bind"},
        InvalidCase{{"--game", "q3", "--count", "0"}, "--count"},
        InvalidCase{{"--game", "q3", "--hosts", "4001"}, "--hosts needs a number 1..4000"},
        InvalidCase{{"--game", "q3", "--hosts", "2", "--count", "2"}, "cannot be combined"},
        InvalidCase{{"--game", "q3", "--hosts", "2", "--bind", "0.0.0.0"}, "cannot be combined"},
        InvalidCase{{"--game", "q3", "--max", "256"}, "--max above 255 is for --game a2s only"},
        InvalidCase{{"--game", "a2s", "--max", "1001"}, "--max"},
        InvalidCase{{"--game", "q3", "--max", "4", "--players", "5"}, "cannot exceed"},
        InvalidCase{{"--game", "q3", "--churn", "0"}, "--churn"},
        InvalidCase{{"--game", "q3", "--churn", "-1"}, "--churn"},
        InvalidCase{{"--game", "q3", "--churn", "fast"}, "--churn"},
        InvalidCase{{"--game", "q3", "--drop", "101"}, "--drop"},
        InvalidCase{{"--game", "q3", "--seed", "-1"}, "--seed"},
        InvalidCase{{"--game", "q3", "--name", ""}, "--name"},
        InvalidCase{{"--game", "q3", "--map"}, "--map"},
        InvalidCase{{"--game", "q3", "--verbose"}, "unknown option --verbose"},
        InvalidCase{{"--game", "a2s", "--split"}, "--split needs a number of bytes 64..65507"},
        InvalidCase{{"--game", "a2s", "--split", "63"}, "--split needs"},
        InvalidCase{{"--game", "a2s", "--split", "65508"}, "--split needs"},
        InvalidCase{{"--game", "a2s", "--split", "1k"}, "--split needs"},
        InvalidCase{{"--game", "css", "--no-challenge"},
                    "--no-challenge is an option of --game a2s only"},
        InvalidCase{{"--split", "200", "--game", "q3"}, "--split is an option of --game a2s"}));

} // namespace
