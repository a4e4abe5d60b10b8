#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/PlayerOrder.h"

namespace {

struct CompareCase {
  const char* a;
  const char* b;
  int sign; // <0: a first
};

void PrintTo(const CompareCase& c, std::ostream* out) {
  *out << "'" << c.a << "' against '" << c.b << "'";
}

class PlayerOrderTest : public ::testing::TestWithParam<CompareCase> {};

TEST_P(PlayerOrderTest, MoreFragsFirstWithTheIntegerReadingRule) {
  const int result = lvPlayersCompare(GetParam().a, GetParam().b);
  EXPECT_EQ((result > 0) - (result < 0), GetParam().sign)
      << "'" << GetParam().a << "' against '" << GetParam().b << "'";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlayerOrderTest,
    ::testing::Values(CompareCase{"12", "5", -1}, CompareCase{"5", "12", 1},
                      CompareCase{"7", "7", 0}, CompareCase{"", "0", 0}, CompareCase{"", "3", 1},
                      CompareCase{"-2", "", 1},
                      // The first text is not a number: neither is read, both are 0.
                      CompareCase{"abc", "5", 0}, CompareCase{"abc", "-5", 0},
                      // The second is not a number: it stays 0.
                      CompareCase{"5", "x", -1}, CompareCase{"-1", "x", 1},
                      CompareCase{"2147483647", "-2147483648", -1}));

TEST(PlayerOrder, TheExampleRosterSortsWithTheEmptyTextLast) {
  std::vector<std::string> frags = {"5", "12", "", "3"};
  std::stable_sort(frags.begin(), frags.end(), [](const std::string& a, const std::string& b) {
    return lvPlayersCompare(a, b) < 0;
  });
  EXPECT_EQ(frags, (std::vector<std::string>{"12", "5", "3", ""}));
}

} // namespace
