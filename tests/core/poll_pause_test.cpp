// Pausing the cycle so that the settings can replace the address list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/FakePollPorts.h"

namespace {

using Lines = std::vector<std::string>;

class PollPauseTest : public PollTest {
protected:
  // Many silent addresses: a whole cycle would take one wait per address.
  void AddSilentAddresses(int32_t count) {
    for (int32_t i = 0; i < count; ++i)
      AddAddress("10.0." + std::to_string(i / 250) + "." + std::to_string(i % 250 + 1), kQ3);
  }
  std::vector<std::string> SentHosts() {
    std::vector<std::string> hosts;
    for (const FakePollPorts::Datagram& datagram : ports.TakeSent())
      hosts.push_back(datagram.host);
    return hosts;
  }
};

TEST_F(PollPauseTest, APausedCycleEndsAtItsNextStepAndResumeStartsAfresh) {
  AddSilentAddresses(200);
  settings.MaxWaitAnswer = 500;
  engine().ApplyTimerSettings(settings);
  engine().Timer1Timer();
  FireStepTimer();
  ASSERT_EQ(SentHosts(), (Lines{"10.0.0.1", "10.0.0.2"}));

  engine().Pause();
  EXPECT_TRUE(engine().Polling()) << "the query in flight keeps its wait";
  FireStepTimer();
  EXPECT_FALSE(engine().Polling());
  EXPECT_TRUE(SentHosts().empty());
  EXPECT_FALSE(ports.stepTimer.enabled);
  EXPECT_EQ(engine().ProgressPosition(), 0);

  // While paused, neither the cycle timer nor Refresh starts a cycle.
  engine().Timer1Timer();
  engine().Refresh();
  EXPECT_FALSE(engine().Polling());
  EXPECT_TRUE(SentHosts().empty());

  engine().Resume();
  EXPECT_TRUE(engine().Polling());
  EXPECT_EQ(SentHosts(), Lines{"10.0.0.1"});
  EXPECT_EQ(engine().CurrentAddress(), 0);
  EXPECT_EQ(ports.cycleTimer.armedAt, ports.now) << "the period restarts with the new cycle";
}

TEST_F(PollPauseTest, ACompleteAnswerEndsAPausedCycleAtOnce) {
  AddAddress("10.0.0.1", kQ3);
  AddAddress("10.0.0.2", kQ3);
  engine().Timer1Timer();
  ports.TakeSent();

  engine().Pause();
  Receive("10.0.0.1", 27960, poll_replies::Q3("Arena"));
  EXPECT_FALSE(engine().Polling());
  EXPECT_TRUE(SentHosts().empty());
  // The answer of the last step counts; the address not reached is no silence.
  EXPECT_EQ(ServerSummary(), Lines{"10.0.0.1:27960 q3 online"});
}

TEST_F(PollPauseTest, ServersNotReachedBeforeThePauseStayOnline) {
  AddAddress("10.0.0.1", kQ3);
  AddAddress("10.0.0.2", kQ3);
  engine().Timer1Timer();
  Receive("10.0.0.1", 27960, poll_replies::Q3("First"));
  Receive("10.0.0.2", 27960, poll_replies::Q3("Second"));
  ASSERT_FALSE(engine().Polling());
  ASSERT_EQ(ServerSummary(), (Lines{"10.0.0.1:27960 q3 online", "10.0.0.2:27960 q3 online"}));

  ports.SetClock(kStart, 3000);
  engine().Timer1Timer();
  engine().Pause();
  FireStepTimer(); // the first server is silent this time
  EXPECT_FALSE(engine().Polling());
  EXPECT_EQ(ServerSummary(), (Lines{"10.0.0.1:27960 q3 online", "10.0.0.2:27960 q3 online"}));
}

TEST_F(PollPauseTest, PauseAndResumeWithoutACycleStartNone) {
  AddAddress("10.0.0.1", kQ3);
  engine().Pause();
  EXPECT_FALSE(engine().Polling());
  engine().Resume();
  EXPECT_FALSE(engine().Polling());
  EXPECT_TRUE(SentHosts().empty());

  // A tick that fell while paused is made up for.
  engine().Pause();
  engine().Timer1Timer();
  EXPECT_TRUE(SentHosts().empty());
  engine().Resume();
  EXPECT_EQ(SentHosts(), Lines{"10.0.0.1"});
}

} // namespace
