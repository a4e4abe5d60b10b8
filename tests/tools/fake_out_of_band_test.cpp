#include "tools/fakeserver/OutOfBand.h"

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;

struct CommandCase {
  std::string datagram;
  std::string word;
  std::string argument;
};

class FakeOutOfBandCommand : public testing::TestWithParam<CommandCase> {};

TEST_P(FakeOutOfBandCommand, SplitsWordAndArgumentIgnoringLineEnds) {
  const std::optional<TextCommand> command = ParseTextCommand(GetParam().datagram);
  ASSERT_TRUE(command);
  EXPECT_EQ(command->word, GetParam().word);
  EXPECT_EQ(command->argument, GetParam().argument);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FakeOutOfBandCommand,
    testing::Values(CommandCase{"\xFF\xFF\xFF\xFFinfo 34", "info", "34"},
                    CommandCase{"\xFF\xFF\xFF\xFFstatus 23\n", "status", "23"},
                    CommandCase{"\xFF\xFF\xFF\xFF"
                                "details\0"s,
                                "details", ""},
                    CommandCase{"\xFF\xFF\xFF\xFFgetinfo  xyz \r\n", "getinfo", "xyz"},
                    CommandCase{"\xFF\xFF\xFF\xFFgetstatus", "getstatus", ""}));

TEST(FakeOutOfBand, DatagramsWithoutHeaderOrCommandAreNoCommand) {
  for (const std::string& datagram :
       {"getstatus"s, "\xFF\xFF\xFFgetstatus"s, "\xFF\xFF\xFF\xFF"s, "\xFF\xFF\xFF\xFF\n\0"s, ""s})
    EXPECT_FALSE(ParseTextCommand(datagram)) << datagram;
}

TEST(FakeOutOfBand, PrefixesTheHeader) {
  EXPECT_EQ(OutOfBand("ack"), "\xFF\xFF\xFF\xFF"
                              "ack");
  EXPECT_EQ(OutOfBandBody("\xFF\xFF\xFF\xFFW"), "W");
  EXPECT_FALSE(OutOfBandBody("\xFE\xFF\xFF\xFFW"));
}

} // namespace
