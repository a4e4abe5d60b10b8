#include "util/text.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

struct IntCase {
  std::string text;
  std::optional<int32_t> expected;
};

// Test names show the text, with control and non-ASCII bytes as <hh>.
void PrintTo(const IntCase& c, std::ostream* out) {
  static const char digits[] = "0123456789ABCDEF";
  *out << "text ";
  for (unsigned char ch : c.text) {
    if (ch > ' ' && ch < 0x7F)
      *out << static_cast<char>(ch);
    else
      *out << '<' << digits[ch >> 4] << digits[ch & 0xF] << '>';
  }
}

class TextToIntTest : public ::testing::TestWithParam<IntCase> {};

TEST_P(TextToIntTest, FollowsTheIntegerTextRule) {
  const IntCase& c = GetParam();
  EXPECT_EQ(TryTextToInt(c.text), c.expected) << '"' << c.text << '"';
  EXPECT_EQ(TextToIntDef(c.text, 4711), c.expected.value_or(4711)) << '"' << c.text << '"';
}

const std::optional<int32_t> kNone;

INSTANTIATE_TEST_SUITE_P(
    Util, TextToIntTest,
    ::testing::Values(
        // decimal, sign and leading blanks
        IntCase{"0", 0}, IntCase{"42", 42}, IntCase{"007", 7}, IntCase{"+5", 5}, IntCase{"-5", -5},
        IntCase{"  12", 12}, IntCase{"\t-3", -3}, IntCase{" \t 9", 9},
        IntCase{"2147483647", 2147483647}, IntCase{"-2147483648", INT32_MIN},
        IntCase{"2147483648", kNone}, IntCase{"-2147483649", kNone},
        IntCase{"99999999999999999999", kNone}, IntCase{"0000000000002147483647", 2147483647},
        // hexadecimal with every prefix, wrapping to the signed form
        IntCase{"$10", 16}, IntCase{"x1f", 31}, IntCase{"X1F", 31}, IntCase{"0x10", 16},
        IntCase{"0XaB", 171}, IntCase{"-$10", -16}, IntCase{"+0x10", 16}, IntCase{" $ff", 255},
        IntCase{"$7FFFFFFF", 2147483647}, IntCase{"$80000000", INT32_MIN}, IntCase{"$FFFFFFFF", -1},
        IntCase{"-$FFFFFFFF", 1}, IntCase{"$000000001", 1}, IntCase{"$100000000", kNone},
        // not integers
        IntCase{"", kNone}, IntCase{" ", kNone}, IntCase{"+", kNone}, IntCase{"-", kNone},
        IntCase{"$", kNone}, IntCase{"0x", kNone}, IntCase{"-x", kNone}, IntCase{"12 ", kNone},
        IntCase{"12a", kNone}, IntCase{"1.5", kNone}, IntCase{"- 5", kNone}, IntCase{"+-5", kNone},
        IntCase{"$1G", kNone}, IntCase{"0x-1", kNone}, IntCase{"abc", kNone},
        IntCase{"12\n", kNone},
        IntCase{std::string("1\0"
                            "2",
                            3),
                kNone},
        IntCase{"\xEF\xBC\x91", kNone}));

TEST(TextTest, QuoteIfSpacedQuotesOnlyTextsWithABlank) {
  const struct {
    std::string text, expected;
  } cases[] = {
      {"", ""},
      {"/usr/games/q3", "/usr/games/q3"},
      {"/opt/my games/q3", "\"/opt/my games/q3\""},
      {" ", "\" \""},
      {"a \"b\"", "\"a \"b\"\""}, // inner quotes are not escaped
      {"\"quoted\"", "\"quoted\""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(QuoteIfSpaced(c.text), c.expected) << c.text;
}

TEST(TextTest, IsDottedQuadAcceptsFourBytesAndOneTrailingDot) {
  const struct {
    std::string text;
    bool expected;
  } cases[] = {
      {"10.0.0.1", true}, {"1.2.3.4", true},    {"1.2.3.4.", true},   {"255.255.255.255", true},
      {"0.0.0.0", true},  {"$ff.0.0.1", true},  {"1.2.3.4..", false}, {"1.2.3", false},
      {"1..2.3", false},  {"256.1.1.1", false}, {"a.b.c.d", false},   {"1.2.3.4.5", false},
      {".1.2.3", false},  {"1.2.3.-1", false},  {"", false},          {".", false},
      {"...", false},     {"1.2.3.4 ", false},  {"localhost", false}, {"1.2.3.4.\n", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsDottedQuad(c.text), c.expected) << '"' << c.text << '"';
}

TEST(TextTest, Utf8ToAcpKeepsValidTextAndFallsBackOnInvalid) {
  const struct {
    std::string text, expected;
  } cases[] = {
      {"", ""},
      {"Player", "Player"},
      {"J\xC3\xBCrgen", "J\xC3\xBCrgen"},         // two-byte character
      {"\xE2\x82\xAC 5", "\xE2\x82\xAC 5"},       // three-byte character
      {"\xF0\x9F\x98\x80!", "\xF0\x9F\x98\x80!"}, // four-byte character
      {"\xFC"
       "ber",
       "\xFC"
       "ber"},                                  // Windows-1252, not UTF-8
      {"\xC3", "\xC3"},                         // truncated sequence
      {"\xC0\xAF", "\xC0\xAF"},                 // overlong "/"
      {"\xE0\x80\xAF", "\xE0\x80\xAF"},         // overlong three-byte
      {"\xF0\x80\x80\xAF", "\xF0\x80\x80\xAF"}, // overlong four-byte
      {"\xED\xA0\x80", "\xED\xA0\x80"},         // surrogate D800
      {"\xF4\x90\x80\x80", "\xF4\x90\x80\x80"}, // above U+10FFFF
      {"\x80"
       "a",
       "\x80"
       "a"}, // stray continuation byte
      {std::string("a\0b", 3), std::string("a\0b", 3)},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Utf8ToAcp(c.text), c.expected) << c.text;
}

TEST(TextTest, Utf8ToAcpCutsAt128BytesOnACharacterBoundary) {
  // 128 UTF-16 units is the most a text may decode to and still be converted.
  const std::string ascii128(128, 'a');
  EXPECT_EQ(Utf8ToAcp(ascii128), ascii128);
  EXPECT_EQ(Utf8ToAcp(ascii128 + "a"), ascii128 + "a"); // 129 units: unchanged

  // 64 two-byte characters: 64 units but 128 bytes, so nothing is cut.
  std::string umlauts;
  for (int i = 0; i < 64; ++i)
    umlauts += "\xC3\xA4";
  EXPECT_EQ(Utf8ToAcp(umlauts), umlauts);

  // 127 ASCII characters and one two-byte character: 128 units, 129 bytes. The
  // character that would straddle byte 128 is dropped whole.
  const std::string straddling = std::string(127, 'a') + "\xC3\xA4";
  EXPECT_EQ(Utf8ToAcp(straddling), std::string(127, 'a'));

  // 100 three-byte characters: 100 units, 300 bytes; cut after 42 characters.
  std::string euros;
  for (int i = 0; i < 100; ++i)
    euros += "\xE2\x82\xAC";
  EXPECT_EQ(Utf8ToAcp(euros), euros.substr(0, 126));

  // Characters beyond U+FFFF count two units: 64 of them fit, 65 do not.
  std::string faces;
  for (int i = 0; i < 64; ++i)
    faces += "\xF0\x9F\x98\x80";
  EXPECT_EQ(Utf8ToAcp(faces), faces.substr(0, 128));
  EXPECT_EQ(Utf8ToAcp(faces + "\xF0\x9F\x98\x80"), faces + "\xF0\x9F\x98\x80");
  EXPECT_EQ(Utf8ToAcp(faces + "a"), faces + "a");
}

TEST(TextTest, AsciiCaseHelpersIgnoreNonAsciiBytes) {
  EXPECT_EQ(UpperAscii("frmMain_1-z"), "FRMMAIN_1-Z");
  EXPECT_EQ(UpperAscii("\xC3\xA4\xE4"), "\xC3\xA4\xE4");
  EXPECT_EQ(LowerAscii("UT2004_Key-Z"), "ut2004_key-z");
  EXPECT_EQ(LowerAscii("\xC3\x84\xC4[@"), "\xC3\x84\xC4[@");
  EXPECT_TRUE(SameTextAscii("ServerList", "serverLIST"));
  EXPECT_TRUE(SameTextAscii("", ""));
  EXPECT_FALSE(SameTextAscii("Server", "Servers"));
  EXPECT_FALSE(SameTextAscii("\xE4", "\xC4")); // Latin-1 a-umlaut and A-umlaut differ
  EXPECT_FALSE(SameTextAscii("[", "{"));       // case bit flips outside letters do not count
}

// Settings trim blanks (space and tab); reply texts trim every byte up to
// the space, line breaks and other controls included, but nothing above it.
TEST(TextTest, TrimHelpersDropOnlyTheirOwnBytesAtEitherEnd) {
  const struct {
    std::string text, blanksTrimmed, controlsTrimmed;
  } cases[] = {
      {"", "", ""},
      {" \t ", "", ""},
      {"a", "a", "a"},
      {" \ta b\t ", "a b", "a b"},
      {"\r\n a \0"s, "\r\n a \0"s, "a"},
      {"\x01\x1F\x20\x7F\xA0", "\x01\x1F\x20\x7F\xA0", "\x7F\xA0"},
      {"\nx\ty\n", "\nx\ty\n", "x\ty"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.text));
    EXPECT_EQ(TrimBlanks(c.text), c.blanksTrimmed);
    EXPECT_EQ(TrimBlanksAndControls(c.text), c.controlsTrimmed);
  }
}

// Replies break lines at CR, LF or CR LF; files only at LF, with a CR before
// it dropped. Neither opens a line after a final break.
TEST(TextTest, LineSplittersFollowTheirOwnBreaks) {
  using Lines = std::vector<std::string>;
  const struct {
    std::string text;
    Lines replyLines, fileLines;
  } cases[] = {
      {"", {}, {}},
      {"a", {"a"}, {"a"}},
      {"a\n", {"a"}, {"a"}},
      {"\n", {""}, {""}},
      {"a\r\nb", {"a", "b"}, {"a", "b"}},
      {"a\rb", {"a", "b"}, {"a\rb"}},
      {"a\r", {"a"}, {"a"}},
      {"a\n\rb", {"a", "", "b"}, {"a", "\rb"}},
      {"a\r\r\nb", {"a", "", "b"}, {"a\r", "b"}},
      {"a\n\nb\n", {"a", "", "b"}, {"a", "", "b"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.text));
    EXPECT_EQ(SplitLines(c.text), c.replyLines);
    EXPECT_EQ(SplitFileLines(c.text), c.fileLines);
  }
}

} // namespace
