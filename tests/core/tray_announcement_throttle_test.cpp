#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "tray/AnnouncementThrottle.h"

namespace {

using std::chrono::milliseconds;
using TimePoint = TAnnouncementThrottle::TimePoint;

// A fake time: milliseconds after an arbitrary start.
TimePoint At(int64_t ms) {
  return TimePoint{} + std::chrono::hours{1} + milliseconds{ms};
}

struct BurstCase {
  const char* name;
  std::vector<int64_t> arrivals; // ms
  std::string admitted;          // one letter per arrival: S shown, F folded
};

void PrintTo(const BurstCase& c, std::ostream* out) {
  *out << c.name;
}

class AnnouncementThrottleBurstTest : public ::testing::TestWithParam<BurstCase> {};

TEST_P(AnnouncementThrottleBurstTest, ShowsFiveInAnyTenSecondsAndFoldsTheRest) {
  TAnnouncementThrottle throttle;
  std::string admitted;
  for (const int64_t ms : GetParam().arrivals)
    admitted += throttle.Admit(At(ms), "line") ? 'S' : 'F';
  EXPECT_EQ(admitted, GetParam().admitted);
}

INSTANTIATE_TEST_SUITE_P(
    Arrivals, AnnouncementThrottleBurstTest,
    ::testing::Values(
        BurstCase{"five at once pass", {0, 0, 0, 0, 0}, "SSSSS"},
        BurstCase{"the sixth and later fold", {0, 1, 2, 3, 4, 5, 6, 7}, "SSSSSFFF"},
        // The window slides: at 10 s the first one has left it.
        BurstCase{"room at ten seconds", {0, 2000, 4000, 6000, 8000, 10000}, "SSSSSS"},
        BurstCase{"none just before", {0, 2000, 4000, 6000, 8000, 9999}, "SSSSSF"},
        BurstCase{
            "slow ones never fold", {0, 3000, 6000, 9000, 12000, 15000, 18000, 21000}, "SSSSSSSS"},
        // While a fold waits, later ones join it even where the window has
        // room: the user sees them in order.
        BurstCase{"a waiting fold keeps counting", {0, 0, 0, 0, 0, 1, 10000, 10001}, "SSSSSFFF"}));

TEST(AnnouncementThrottleTest, TheFoldShowsWhenTheOldestLeavesTheWindowAndCountsItself) {
  TAnnouncementThrottle throttle;
  EXPECT_FALSE(throttle.FoldedDue());
  EXPECT_FALSE(throttle.TakeFolded(At(0)));
  for (int i = 0; i < 5; ++i)
    ASSERT_TRUE(throttle.Admit(At(1000 * i), "shown"));
  EXPECT_FALSE(throttle.FoldedDue());

  EXPECT_FALSE(throttle.Admit(At(5000), "Q3 server \"A\" is online"));
  EXPECT_FALSE(throttle.Admit(At(6000), "Players online: x\r\nPlayers offline: y"));
  EXPECT_FALSE(throttle.Admit(At(7000), "Anna joined"));
  ASSERT_TRUE(throttle.FoldedDue());
  EXPECT_EQ(*throttle.FoldedDue(), At(10000));

  EXPECT_FALSE(throttle.TakeFolded(At(9999))); // not yet: still held
  const auto folded = throttle.TakeFolded(At(10000));
  ASSERT_TRUE(folded);
  EXPECT_EQ(folded->Count, 3);
  EXPECT_EQ(folded->FirstLines, (std::vector<std::string>{"Q3 server \"A\" is online",
                                                          "Players online: x", "Anna joined"}));
  EXPECT_FALSE(throttle.FoldedDue());

  // The fold took the place of the first one: 1 s to 4 s and 10 s fill the
  // window, so the next one folds until 11 s.
  EXPECT_FALSE(throttle.Admit(At(10500), "next"));
  EXPECT_EQ(*throttle.FoldedDue(), At(11000));
  EXPECT_EQ(throttle.TakeFolded(At(11000))->Count, 1);
  EXPECT_TRUE(throttle.Admit(At(12000), "after"));
}

TEST(AnnouncementThrottleTest, AFoldOfManyCountsAllAndListsTheFirstFew) {
  TAnnouncementThrottle throttle;
  for (int i = 0; i < 5; ++i)
    throttle.Admit(At(0), "shown");
  for (int i = 0; i < 1000; ++i)
    throttle.Admit(At(i), "held " + std::to_string(i));
  const auto folded = throttle.TakeFolded(At(20000));
  ASSERT_TRUE(folded);
  EXPECT_EQ(folded->Count, 1000);
  ASSERT_FALSE(folded->FirstLines.empty());
  EXPECT_LT(folded->FirstLines.size(), 10u);
  EXPECT_EQ(folded->FirstLines.front(), "held 0");
}

} // namespace
