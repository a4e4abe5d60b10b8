#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/FakePollPorts.h"

namespace {

using Lines = std::vector<std::string>;
using Progress = FakePollPorts::Progress;

const std::string kStepLine(16, '-');
const std::string kEndLine(32, '=');
const std::string kQ3Query = "\xFF\xFF\xFF\xFFgetstatus";

bool CycleTimerEverOn(const FakePollPorts& ports) {
  return std::any_of(ports.timerCalls.begin(), ports.timerCalls.end(),
                     [](const std::string& call) { return call.starts_with("cycle on"); });
}

struct TimerCase {
  const char* name;
  int32_t interval;
  std::vector<int32_t> games; // one enabled address each; negative: disabled
  int32_t appliedInterval;
  bool manualOnly;
  int32_t progressMaximum;
};

TEST_F(PollTest, TimerSettingsFitACycleIntoOnePeriod) {
  const TimerCase cases[] = {
      {"manual only, still raised", 0, {kQ3, kQ3}, 1000, true, 2},
      {"queries 1, 3 and 1", 2000, {kQ3, kCSS, kUT}, 2500, false, 5},
      {"already long enough", 3000, {kQ3, kCSS}, 3000, false, 4},
      {"disabled addresses do not count", 1000, {kQ3, -kCSS, kUT}, 1000, false, 2},
  };
  for (const TimerCase& c : cases) {
    SCOPED_TRACE(c.name);
    settings.Interval = c.interval;
    settings.MaxWaitAnswer = 500;
    monitor.Addresses.Clear();
    ports = FakePollPorts{};
    for (const int32_t game : c.games)
      AddAddress("10.0.0." + std::to_string(monitor.Addresses.Count() + 1), std::abs(game),
                 game >= 0);

    engine().ApplyTimerSettings(settings);
    EXPECT_EQ(engine().ManualOnly(), c.manualOnly);
    const std::string cycleTimer =
        c.manualOnly ? "cycle off" : "cycle on " + std::to_string(c.appliedInterval);
    EXPECT_EQ(ports.timerCalls, Lines{cycleTimer}); // the step timer is not armed here
    EXPECT_EQ(ports.cycleTimer.interval, c.appliedInterval);

    engine().Timer1Timer();
    EXPECT_EQ(engine().ProgressMaximum(), c.progressMaximum);
    EXPECT_EQ(engine().ProgressPosition(), 1);
    EXPECT_TRUE(ports.stepTimer.enabled);
    EXPECT_EQ(ports.stepTimer.interval, 500);
    // Leave the cycle so the next case starts idle.
    while (engine().Polling())
      engine().tmSubTimer();
  }
}

TEST_F(PollTest, ManualPollingRunsOnlyOnTheTickAtStartAndOnRefresh) {
  settings.Interval = 0;
  settings.MaxWaitAnswer = 500;
  AddAddress("10.0.0.1", kQ3);
  AddAddress("10.0.0.2", kQ3);
  engine().ApplyTimerSettings(settings);

  engine().Timer1Timer(); // the call at the end of start-up
  ASSERT_EQ(ports.TakeSent().size(), 1u);
  FireStepTimer();
  FireStepTimer();
  EXPECT_FALSE(engine().Polling());
  EXPECT_EQ(ports.TakeSent().size(), 1u);

  engine().Refresh();
  EXPECT_TRUE(engine().Polling());
  EXPECT_EQ(ports.TakeSent(),
            (std::vector<FakePollPorts::Datagram>{{"10.0.0.1", 27960, kQ3Query}}));
  EXPECT_FALSE(CycleTimerEverOn(ports));
}

struct ReapplyCase {
  const char* name;
  TPollSettings first;
  TPollSettings then;
  const char* cycleTimer; // as the second apply leaves it
  bool manualOnly;
};

// The period raised for two queries of 500 ms is the engine's own: settings
// applied later start from what the user set, never from the raise.
TEST_F(PollTest, SettingsAppliedAfterARaiseStartFromWhatTheUserSet) {
  const ReapplyCase cases[] = {
      {"manual stays manual", {0, 500, false}, {0, 500, false}, "cycle off", true},
      {"longer interval", {600, 500, false}, {4000, 500, false}, "cycle on 4000", false},
      {"shorter wait", {600, 500, false}, {600, 200, false}, "cycle on 600", false},
      {"longer wait", {600, 500, false}, {600, 800, false}, "cycle on 1600", false},
  };
  AddAddress("10.0.0.1", kQ3);
  AddAddress("10.0.0.2", kQ3);
  for (const ReapplyCase& c : cases) {
    SCOPED_TRACE(c.name);
    ports = FakePollPorts{};
    engine().ApplyTimerSettings(c.first);
    ASSERT_EQ(ports.cycleTimer.interval, 1000);

    engine().ApplyTimerSettings(c.then);
    EXPECT_EQ(ports.timerCalls.back(), c.cycleTimer);
    EXPECT_EQ(engine().ManualOnly(), c.manualOnly);
  }
}

TEST_F(PollTest, CycleOverDisabledAddressesStartsAndEndsInOneTick) {
  AddAddress("10.0.0.1", kQ3, false);
  AddAddress("10.0.0.2", kCSS, false);
  engine().ApplyTimerSettings(settings);
  ports.timerCalls.clear();

  engine().Timer1Timer();
  EXPECT_FALSE(engine().Polling());
  EXPECT_EQ(ports.trace, (Lines{kStepLine, kEndLine}));
  EXPECT_EQ(ports.progress, (std::vector<Progress>{{0, 1}, {1, 1}, {0, 1}}));
  EXPECT_EQ(ports.timerCalls, Lines{"step off"});
  EXPECT_TRUE(ports.sent.empty());
  EXPECT_EQ(ports.refreshes, 1);
}

TEST_F(PollTest, EmptyAddressListStartsNoCycle) {
  engine().Timer1Timer();
  EXPECT_FALSE(engine().Polling());
  EXPECT_EQ(ports.updateChecks, 1);
  EXPECT_EQ(ports.progress, (std::vector<Progress>{{0, 1}}));
  EXPECT_TRUE(ports.trace.empty());
  EXPECT_TRUE(ports.timerCalls.empty());
}

TEST_F(PollTest, DisabledAddressCostsNoStep) {
  AddAddress("10.0.0.1", kQ3);
  AddAddress("10.0.0.2", kQ3, false);
  AddAddress("10.0.0.3", kQ3);
  engine().Timer1Timer();
  ports.TakeTrace();

  FireStepTimer();
  // The commit of the first address and the query of the third in one step.
  EXPECT_EQ(ports.trace,
            (Lines{kStepLine, "qry 10.0.0.3:27960 q3", "->10.0.0.3:27960 " + kQ3Query}));
  EXPECT_EQ(engine().CurrentAddress(), 2);
  EXPECT_EQ(engine().CurrentQuery(), 0);
  EXPECT_EQ(engine().ProgressPosition(), 2);
  EXPECT_EQ(engine().ProgressMaximum(), 2);
}

TEST_F(PollTest, CycleTickDuringACycleOnlyChecksForUpdates) {
  AddAddress("10.0.0.1", kQ3);
  engine().ApplyTimerSettings(settings);
  engine().Timer1Timer();
  const auto timerCalls = ports.timerCalls;
  const auto progress = ports.progress;
  ports.TakeSent();
  ports.TakeTrace();

  engine().Timer1Timer();
  engine().Refresh();
  EXPECT_EQ(ports.updateChecks, 2); // the tick's own; Refresh did nothing at all
  EXPECT_TRUE(ports.sent.empty());
  EXPECT_TRUE(ports.trace.empty());
  EXPECT_EQ(ports.timerCalls, timerCalls);
  EXPECT_EQ(ports.progress, progress);
  EXPECT_EQ(engine().CurrentQuery(), 0);
}

TEST_F(PollTest, RefreshRestartsTheCyclePeriodAndPollsAtOnce) {
  AddAddress("10.0.0.1", kQ3);
  engine().ApplyTimerSettings(settings);
  ports.timerCalls.clear();
  ports.now = kStart + 1000 * FakePollPorts::kMillisecond;

  engine().Refresh();
  EXPECT_EQ(ports.timerCalls, (Lines{"cycle off", "cycle on 3000", "step on 500"}));
  EXPECT_EQ(ports.cycleTimer.armedAt, ports.now);
  EXPECT_TRUE(engine().Polling());
  EXPECT_EQ(ports.sent.size(), 1u);
}

TEST_F(PollTest, DatagramsOutsideACycleAndFailedReceivesAreIgnored) {
  AddAddress("10.0.0.1", kQ3);
  Receive("10.0.0.1", 27960, poll_replies::Q3("Idle"));
  engine().tmSubTimer(); // a step tick left over from an earlier cycle

  engine().Timer1Timer();
  ports.TakeTrace();
  engine().UDPDataReceived(-1, "10.0.0.1", 27960, poll_replies::Q3("Failed"));

  EXPECT_TRUE(ports.trace.empty());
  EXPECT_EQ(ports.refreshes, 0);
  EXPECT_EQ(monitor.Servers.Count(), 0);
  EXPECT_EQ(monitor.PendingServers.Count(), 0);
  EXPECT_EQ(ports.sent.size(), 1u);
  EXPECT_EQ(engine().CurrentQuery(), 0);
}

struct StaleCase {
  int32_t interval;
  int32_t maxWaitAnswer;
  int32_t silenceMs;
  bool dropped;
};

TEST_F(PollTest, SilentServersAreDroppedAfterTwiceTheWholeSecondsOfTheInterval) {
  const StaleCase cases[] = {
      {2999, 500, 4000, false},
      {2999, 500, 4001, true},
      {3000, 500, 6000, false},
      {3000, 500, 6001, true},
      {999, 500, 0, false},
      {999, 500, 1, true},
      // Manual polling: the period raised to the one query's wait counts.
      {0, 1000, 2000, false},
      {0, 1000, 2001, true},
  };
  AddAddress("10.0.0.1", kQ3);
  settings.SlowPoll = true; // the cycle ends at the step tick the test chooses
  for (const StaleCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.interval) + " ms, silent " + std::to_string(c.silenceMs) + " ms");
    settings.Interval = c.interval;
    settings.MaxWaitAnswer = c.maxWaitAnswer;
    engine().ApplyTimerSettings(settings);
    monitor.Servers.Clear();
    events.lines.clear();
    ports.refreshes = 0;
    ports.now = kStart;
    engine().Timer1Timer();
    Receive("10.0.0.1", 27960, poll_replies::Q3("Arena"));
    ports.SetClock(kStart, c.silenceMs);
    engine().tmSubTimer();

    ASSERT_FALSE(engine().Polling());
    EXPECT_EQ(monitor.Servers.Count(), c.dropped ? 0 : 1);
    const bool offlineEvent =
        std::find(events.lines.begin(), events.lines.end(),
                  "Q3 server \"Arena\" (10.0.0.1) is offline") != events.lines.end();
    EXPECT_EQ(offlineEvent, c.dropped);
    // The views are rebuilt once more when records were dropped.
    EXPECT_EQ(ports.refreshes, c.dropped ? 3 : 2);
  }
}

TEST_F(PollTest, ServerSilentForAWholeCycleIsHiddenButKept) {
  AddAddress("10.0.0.1", kQ3);
  engine().Timer1Timer();
  Receive("10.0.0.1", 27960, poll_replies::Q3("Arena"));
  ASSERT_EQ(ServerSummary(), Lines{"10.0.0.1:27960 q3 online"});

  ports.SetClock(kStart, 3000);
  engine().Timer1Timer();
  FireStepTimer();
  EXPECT_FALSE(engine().Polling());
  EXPECT_EQ(ServerSummary(), Lines{"10.0.0.1:27960 q3"});
}

} // namespace
