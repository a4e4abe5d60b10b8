#include "tools/fakeserver/TextEncoding.h"

#include <gtest/gtest.h>

namespace {

struct Latin1Case {
  std::string utf8;
  std::string latin1;
};

class FakeTextEncodingLatin1 : public testing::TestWithParam<Latin1Case> {};

TEST_P(FakeTextEncodingLatin1, ConvertsOrReplacesEachCodePoint) {
  EXPECT_EQ(Utf8ToLatin1(GetParam().utf8), GetParam().latin1);
}

INSTANTIATE_TEST_SUITE_P(Cases, FakeTextEncodingLatin1,
                         testing::Values(Latin1Case{"Sarge", "Sarge"},
                                         Latin1Case{"Jörg", "J\xF6rg"}, Latin1Case{"Zoë", "Zo\xEB"},
                                         Latin1Case{"\xC3\xBF", "\xFF"},
                                         Latin1Case{"€5", "?5"},    // beyond Latin-1
                                         Latin1Case{"a\xC3", "a?"}, // sequence cut off at the end
                                         Latin1Case{"\xC0\xAF", "??"}, // overlong encoding of "/"
                                         Latin1Case{"\xED\xA0\x80x", "???x"}, // a lone surrogate
                                         Latin1Case{"", ""}));

TEST(FakeTextEncoding, Utf16KeepsBmpLettersAndSplitsOthersIntoSurrogates) {
  EXPECT_EQ(Utf8ToUtf16("Jörg"), u"Jörg");
  EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98\x80"), std::u16string({0xD83D, 0xDE00}));
  EXPECT_EQ(Utf8ToUtf16("\xFF"), std::u16string({0xFFFD}));
}

TEST(FakeTextEncoding, AsciiMeansNoByteAbove0x7F) {
  EXPECT_TRUE(IsAscii("de_dust2 ^1x"));
  EXPECT_FALSE(IsAscii("Zoë"));
  EXPECT_FALSE(IsAscii("\x80"));
}

} // namespace
