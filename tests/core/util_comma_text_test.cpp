#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "util/comma_text.h"

namespace {

using Items = std::vector<std::string>;

TEST(CommaTextTest, Reading) {
  struct Case {
    std::string text;
    Items items;
  } cases[] = {
      {"", {}},
      {"a,b", {"a", "b"}},
      {"  a , b  ", {"a", "b"}},
      {"a b", {"a", "b"}}, // a bare item ends at a blank
      {"\"x y\",z", {"x y", "z"}},
      {"\"say \"\"hi\"\"\"", {"say \"hi\""}},
      {",,", {"", "", ""}},
      {"a,", {"a", ""}},
      {"a, ", {"a"}},
      {"1,,x", {"1", "", "x"}},
      {"\"unclosed, item", {"unclosed, item"}},
      {"\"a\"b,c", {"a", "b", "c"}},
      {"\ta\r\n", {"a"}},
      {std::string("a\0b", 3), {"a"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(FromCommaText(c.text), c.items);
  }
}

TEST(CommaTextTest, WritingQuotesOnlyWhatNeedsIt) {
  EXPECT_EQ(ToCommaText({"1", "", "icon.ico"}), "1,,icon.ico");
  EXPECT_EQ(ToCommaText({"a b", "c,d", "say \"hi\"", "tab\there"}),
            "\"a b\",\"c,d\",\"say \"\"hi\"\"\",\"tab\there\"");
  EXPECT_EQ(ToCommaText({}), "");
  EXPECT_EQ(ToCommaText({""}), "");
}

TEST(CommaTextTest, WrittenListsReadBackUnchanged) {
  const Items lists[] = {
      {"1", "My Server", "", "x.wav", "/var/log/a b.log"},
      {"", "", ""},
      {"0", "\"quoted\"", ",", " lead", "trail "},
      {"Jörg's \"Zoë\" ^1Server"},
  };
  for (const Items& items : lists)
    EXPECT_EQ(FromCommaText(ToCommaText(items)), items);
}

} // namespace
