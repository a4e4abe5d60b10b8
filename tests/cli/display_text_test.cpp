#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <string>

#include "cli/ServerJson.h"
#include "util/display_text.h"

namespace {

struct TextCase {
  std::string bytes;
  std::string utf8;
};

class ToUtf8Test : public testing::TestWithParam<TextCase> {};

TEST_P(ToUtf8Test, KeepsUtf8AndReadsEverythingElseAsWindows1252) {
  EXPECT_EQ(ToUtf8(GetParam().bytes), GetParam().utf8);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ToUtf8Test,
    testing::Values(TextCase{"", ""}, TextCase{"plain %s%n", "plain %s%n"},
                    TextCase{"J\xC3\xB6rg", "J\xC3\xB6rg"},                   // UTF-8 stays
                    TextCase{"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},         // four bytes
                    TextCase{"J\xF6rg", "J\xC3\xB6rg"},                       // Latin-1 ö
                    TextCase{"\x80\x9F", "\xE2\x82\xAC\xC5\xB8"},             // € Ÿ
                    TextCase{"\x81\x8D", "\xC2\x81\xC2\x8D"},                 // unassigned
                    TextCase{"\xC0\xAF", "\xC3\x80\xC2\xAF"},                 // overlong /
                    TextCase{"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"}, // surrogate
                    TextCase{"\xF4\x90\x80\x80", "\xC3\xB4\xC2\x90\xE2\x82\xAC\xE2\x82\xAC"},
                    TextCase{"\xE2\x82", "\xC3\xA2\xE2\x80\x9A"}, // cut short
                    // One bad byte makes the whole text Windows-1252.
                    TextCase{"\xC3\xB6\xFF", "\xC3\x83\xC2\xB6\xC3\xBF"}));

TEST(PrintableText, ReplacesControlCharactersButKeepsTheRest) {
  EXPECT_EQ(PrintableText("a\nb\tc\r\x1B[31m\x7F"), "a?b?c??[31m?");
  EXPECT_EQ(PrintableText("\xC2\x9B"
                          "1m J\xC3\xB6rg"),
            "?1m J\xC3\xB6rg");                          // C1 in UTF-8
  EXPECT_EQ(PrintableText("x\x81y\xF6"), "x?y\xC3\xB6"); // C1 from 1252
  EXPECT_EQ(PrintableText("^1Red %s%n"), "^1Red %s%n");
  EXPECT_EQ(PrintableText("a\xE2\x80\xA8z\xE2\x80\xA9"), "a?z?"); // line, paragraph separator
}

class PrintableLineTest : public testing::TestWithParam<TextCase> {};

// Each byte sequence decides for itself, so the texts of a line keep their
// own encodings.
TEST_P(PrintableLineTest, KeepsUtf8SequencesAndReadsOtherBytesAsWindows1252) {
  EXPECT_EQ(PrintableLine(GetParam().bytes), GetParam().utf8);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, PrintableLineTest,
    testing::Values(TextCase{"", ""}, TextCase{"plain %s%n", "plain %s%n"},
                    TextCase{"J\xF6rg J\xC3\xB6rg", "J\xC3\xB6rg J\xC3\xB6rg"},
                    TextCase{"\xF0\x9F\x98\x80\x80", "\xF0\x9F\x98\x80\xE2\x82\xAC"}, // 😀€
                    TextCase{"\xC0\xAF", "\xC3\x80\xC2\xAF"},                         // overlong /
                    TextCase{"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},         // surrogate
                    TextCase{"x\xE2\x82", "x\xC3\xA2\xE2\x80\x9A"}, // cut short at the end
                    TextCase{"\x8D\x9D\xC2\x9D\t", "????"}));       // C1 either way, TAB

TEST(CharacterCount, CountsCodePointsNotBytes) {
  EXPECT_EQ(CharacterCount(""), 0u);
  EXPECT_EQ(CharacterCount("Zo\xC3\xAB"), 3u);
  EXPECT_EQ(CharacterCount("\xE2\x82\xAC\xF0\x9F\x98\x80"), 2u);
}

TEST(JsonString, EscapesQuotesBackslashesAndControlCharacters) {
  EXPECT_EQ(JsonString("say \"hi\" \\o/"), "\"say \\\"hi\\\" \\\\o/\"");
  EXPECT_EQ(JsonString("\n\r\t\x01\x1F\x7F"), "\"\\n\\r\\t\\u0001\\u001f\\u007f\"");
  EXPECT_EQ(JsonString("J\xF6rg"), "\"J\xC3\xB6rg\"");
}

TEST(JsonString, EveryByteRoundTripsThroughAJsonParser) {
  std::string bytes;
  for (int byte = 0; byte < 256; ++byte)
    bytes += static_cast<char>(byte);
  const nlohmann::json parsed = nlohmann::json::parse(JsonString(bytes));
  EXPECT_EQ(parsed.get<std::string>(), ToUtf8(bytes));
}

} // namespace
