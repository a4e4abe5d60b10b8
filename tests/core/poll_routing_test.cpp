#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/FakePollPorts.h"

namespace {

using Lines = std::vector<std::string>;
using Datagrams = std::vector<FakePollPorts::Datagram>;
namespace replies = poll_replies;

struct RouteCase {
  const char* addressHost;
  const char* senderIp;
  bool routed;
};

TEST_F(PollTest, RepliesPassByTheLastFourCharactersAndAreThenLookedUpExactly) {
  const RouteCase cases[] = {
      {"10.0.11.12", "10.0.1.12", true},
      {"10.0.0.112", "10.0.0.12", false},
      // Not a broadcast address (too short), but the same four last characters.
      {".255", "10.0.0.255", true},
      // A shorter host compares whole, so it never equals a four-character tail.
      {"1.5", "10.0.1.5", false},
  };
  settings.SlowPoll = true;
  engine().ApplyTimerSettings(settings);
  for (const RouteCase& c : cases) {
    SCOPED_TRACE(std::string(c.addressHost) + " <- " + c.senderIp);
    monitor.Addresses.Clear();
    monitor.Servers.Clear();
    ports = FakePollPorts{};
    AddAddress(c.addressHost, kQ3);
    AddServer(c.addressHost, kQ3); // the address's own server, from an earlier cycle
    engine().Timer1Timer();
    ports.TakeTrace();

    Receive(c.senderIp, 27960, replies::Q3("Far"));
    const std::string own = std::string(c.addressHost) + ":27960 q3";
    if (c.routed) {
      EXPECT_EQ(ports.trace, (Lines{" <" + std::string(c.senderIp) + ":27960 " + replies::Q3("Far"),
                                    "new q3,res=2"}));
      EXPECT_EQ(ServerSummary(), (Lines{own, std::string(c.senderIp) + ":27960 q3 online"}));
      EXPECT_EQ(ports.refreshes, 1);
    } else {
      EXPECT_TRUE(ports.trace.empty());
      EXPECT_EQ(ServerSummary(), Lines{own});
      EXPECT_EQ(ports.refreshes, 0);
    }
    engine().tmSubTimer();
    ASSERT_FALSE(engine().Polling());
  }
}

TEST_F(PollTest, EveryHostAnsweringABroadcastBecomesAServerAndThePassWaits) {
  AddAddress("192.168.0.255", kQ3);
  engine().Timer1Timer();
  EXPECT_EQ(ports.TakeSent(), (Datagrams{{"192.168.0.255", 27960, "\xFF\xFF\xFF\xFFgetstatus"}}));
  ports.TakeTrace();

  ports.SetClock(kStart, 50);
  Receive("192.168.0.7", 27960, replies::Q3("One"));
  Receive("192.168.0.9", 27960, replies::Q3("Two"));
  Receive("192.168.0.7", 27960, replies::Q3("One"));
  EXPECT_EQ(ServerSummary(), (Lines{"192.168.0.7:27960 q3 online", "192.168.0.9:27960 q3 online"}));
  EXPECT_EQ(ports.trace[1], "new q3,res=2");
  EXPECT_EQ(ports.trace[5], "exs q3,res=2");
  // Complete replies, yet no early advance: more servers may still answer.
  EXPECT_TRUE(ports.sent.empty());
  EXPECT_EQ(ports.stepTimer.armedAt, kStart);
  EXPECT_TRUE(engine().Polling());
  EXPECT_EQ(ports.refreshes, 3);
}

TEST_F(PollTest, ReplyFromTheQueryPortMakesAServerOnTheGamePort) {
  AddAddress("10.0.0.8", kUT); // query port offset 1
  engine().Timer1Timer();
  EXPECT_EQ(ports.TakeSent(), (Datagrams{{"10.0.0.8", 7778, "\\status\\"}}));
  ports.TakeTrace();

  Receive("10.0.0.8", 7778, replies::UT("Deck"));
  EXPECT_EQ(ports.TakeTrace(), (Lines{" <10.0.0.8:7778 " + replies::UT("Deck"), "new ut,res=2",
                                      std::string(16, '-'), std::string(32, '=')}));
  EXPECT_EQ(ServerSummary(), Lines{"10.0.0.8:7777 ut online"});

  engine().Timer1Timer();
  Receive("10.0.0.8", 7778, replies::UT("Deck"));
  EXPECT_EQ(ports.trace[4], "exs ut,res=2");
  EXPECT_EQ(monitor.Servers.Count(), 1);
}

TEST_F(PollTest, ReplyNoParserUnderstandsChangesNothingButTheView) {
  AddAddress("10.0.0.1", kQ3);
  TServer& known = AddServer("10.0.0.1", kQ3);
  engine().Timer1Timer();
  ports.TakeTrace();

  // Datagram bytes are traced as they stand, never read as a format.
  Receive("10.1.0.1", 27960, "%s%n%x");
  Receive("10.0.0.1", 27960, "%s%n%x");
  EXPECT_EQ(ports.trace, (Lines{" <10.1.0.1:27960 %s%n%x", "new q3,res=0",
                                " <10.0.0.1:27960 %s%n%x", "exs q3,res=0"}));
  EXPECT_EQ(monitor.Servers.Count(), 1);
  EXPECT_EQ(monitor.PendingServers.Count(), 0);
  EXPECT_FALSE(known.Online);
  EXPECT_TRUE(ports.sent.size() == 1 && engine().Polling()); // no advance
  EXPECT_EQ(ports.refreshes, 2);
}

TEST_F(PollTest, LateReplyIsMeasuredAgainstTheNextAddress) {
  AddAddress("10.0.0.1", kQ3);
  AddAddress("10.0.0.2", kQ3);
  engine().Timer1Timer();
  FireStepTimer();
  ports.TakeTrace();

  Receive("10.0.0.1", 27960, replies::Q3("Late"));
  EXPECT_TRUE(ports.trace.empty());
  EXPECT_EQ(monitor.Servers.Count(), 0);
}

} // namespace
