#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/CommandLine.h"

namespace {

struct LineCase {
  std::vector<std::string> args;
  bool once, json, help, version, debug;
  std::string error;
};

class ParseCommandLineTest : public testing::TestWithParam<LineCase> {};

TEST_P(ParseCommandLineTest, ReadsTheOptions) {
  const LineCase& expected = GetParam();
  const TCommandLine line = ParseCommandLine(expected.args);
  EXPECT_EQ(line.Once, expected.once);
  EXPECT_EQ(line.Json, expected.json);
  EXPECT_EQ(line.Help, expected.help);
  EXPECT_EQ(line.Version, expected.version);
  EXPECT_EQ(line.Debug, expected.debug);
  EXPECT_EQ(line.Error, expected.error);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ParseCommandLineTest,
    testing::Values(
        LineCase{{}, false, false, false, false, false, ""},
        LineCase{{"--once"}, true, false, false, false, false, ""},
        LineCase{{"--json"}, true, true, false, false, false, ""},
        LineCase{{"--help"}, false, false, true, false, false, ""},
        LineCase{{"--version"}, false, false, false, true, false, ""},
        // The program's debug switch in any letter case, with either prefix.
        LineCase{{"-DEBUG", "--once"}, true, false, false, false, true, ""},
        LineCase{{"/debug"}, false, false, false, false, true, ""},
        LineCase{{"-dEbUg"}, false, false, false, false, true, ""},
        LineCase{{"--debug"}, false, false, false, false, false, "unknown option \"--debug\""},
        LineCase{{"debug"}, false, false, false, false, false, "unknown option \"debug\""},
        // The first stranger is named.
        LineCase{
            {"--once", "-x", "--y"}, true, false, false, false, false, "unknown option \"-x\""}));

TEST(ParseCommandLine, BuddiesLimitsTheEventsAndCombinesWithTheOthers) {
  EXPECT_FALSE(ParseCommandLine({}).BuddiesOnly);
  const TCommandLine line = ParseCommandLine({"--buddies", "-debug"});
  EXPECT_TRUE(line.BuddiesOnly);
  EXPECT_TRUE(line.Debug);
  EXPECT_EQ(line.Error, "");
  EXPECT_EQ(ParseCommandLine({"--buddy"}).Error, "unknown option \"--buddy\"");
}

} // namespace
