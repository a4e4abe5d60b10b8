#include <gtest/gtest.h>

#include <chrono>

#include "update/NewsDate.h"
#include "update/UpdateSchedule.h"

namespace {

using namespace std::chrono_literals;

class FakeUpdateClock : public IUpdateClock {
public:
  TDateTime Now() override { return now; }
  std::chrono::steady_clock::time_point Monotonic() override { return monotonic; }

  TDateTime now = 0;
  std::chrono::steady_clock::time_point monotonic{};
};

TDateTime Date(const char* iso) {
  return *ReadNewsDate(iso);
}

class UpdateScheduleTest : public ::testing::Test {
protected:
  FakeUpdateClock clock_;
  TUpdateSchedule schedule_{clock_};
};

TEST_F(UpdateScheduleTest, DueOnlyWhenMoreDaysThanCheckUpdatesHavePassed) {
  const TDateTime last = Date("2007-04-13");
  struct Case {
    const char* today;
    double timeOfDay;
    int32_t checkUpdates;
    bool due;
  };
  for (const Case& c : {Case{"2007-05-13", 0.99, 30, false}, Case{"2007-05-14", 0.0, 30, true},
                        Case{"2007-04-14", 0.5, 1, false}, Case{"2007-04-15", 0.0, 1, true},
                        Case{"2099-01-01", 0.0, 0, false}, Case{"2099-01-01", 0.0, -5, false}}) {
    clock_.now = Date(c.today) + c.timeOfDay;
    EXPECT_EQ(schedule_.AutomaticCheckDue(c.checkUpdates, last), c.due)
        << c.today << ", CheckUpdates " << c.checkUpdates;
  }
}

TEST_F(UpdateScheduleTest, BuildStampWithATimeCountsFromItsDay) {
  // 13 April 2007, 21:17:33: the first check comes on 14 May, as after a
  // check on 13 April.
  const TDateTime stamp = 39185.8871974421;
  clock_.now = Date("2007-05-13") + 0.9;
  EXPECT_FALSE(schedule_.AutomaticCheckDue(30, stamp));
  clock_.now = Date("2007-05-14");
  EXPECT_TRUE(schedule_.AutomaticCheckDue(30, stamp));
}

TEST_F(UpdateScheduleTest, FailureHoldsTheAutomaticCheckBackForAnHour) {
  clock_.now = Date("2007-06-01");
  const TDateTime last = Date("2007-04-13");
  schedule_.CheckFailed();
  clock_.monotonic += 59min;
  EXPECT_FALSE(schedule_.AutomaticCheckDue(30, last));
  // A wall clock set back or forward changes nothing about the wait.
  clock_.now = Date("2008-01-01");
  EXPECT_FALSE(schedule_.AutomaticCheckDue(30, last));
  clock_.monotonic += 1min;
  EXPECT_TRUE(schedule_.AutomaticCheckDue(30, last));
  schedule_.CheckFailed();
  EXPECT_FALSE(schedule_.AutomaticCheckDue(30, last));
  // A success (a manual one, say) lifts the wait.
  schedule_.CheckSucceeded();
  EXPECT_TRUE(schedule_.AutomaticCheckDue(30, last));
}

TEST_F(UpdateScheduleTest, TodayHasNoTime) {
  clock_.now = Date("2007-05-20") + 0.75;
  EXPECT_EQ(schedule_.Today(), Date("2007-05-20"));
}

} // namespace
