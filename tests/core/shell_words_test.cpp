#include <gtest/gtest.h>

#include "util/shell_words.h"

namespace {

struct ShellWordsCase {
  const char* text;
  std::vector<std::string> words;
};

class ShellWordsTest : public ::testing::TestWithParam<ShellWordsCase> {};

TEST_P(ShellWordsTest, SplitsLikeAShellWithoutExpanding) {
  EXPECT_EQ(SplitShellWords(GetParam().text), GetParam().words) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ShellWordsTest,
    ::testing::Values(ShellWordsCase{"", {}}, ShellWordsCase{"   \t ", {}},
                      ShellWordsCase{"+connect 10.0.0.5:27016", {"+connect", "10.0.0.5:27016"}},
                      ShellWordsCase{"  a   b  ", {"a", "b"}},
                      ShellWordsCase{"+name \"Big Boss\" -x", {"+name", "Big Boss", "-x"}},
                      ShellWordsCase{"'it''s' 'a \"b\"'", {"its", "a \"b\""}},
                      ShellWordsCase{"\"\" x ''", {"", "x", ""}},
                      ShellWordsCase{"a\\ b c\\\\d", {"a b", "c\\d"}},
                      ShellWordsCase{"\"a\\\"b\\n\"", {"a\"b\\n"}},
                      ShellWordsCase{"pre\"mid dle\"post", {"premid dlepost"}},
                      ShellWordsCase{"\"open quote runs on", {"open quote runs on"}},
                      ShellWordsCase{"'open", {"open"}},
                      ShellWordsCase{"trailing\\", {"trailing\\"}},
                      ShellWordsCase{"$HOME * ;rm -rf /;", {"$HOME", "*", ";rm", "-rf", "/;"}}));

} // namespace
