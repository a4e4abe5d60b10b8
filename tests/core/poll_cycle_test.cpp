#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/FakePollPorts.h"

namespace {

using Lines = std::vector<std::string>;
using Datagrams = std::vector<FakePollPorts::Datagram>;
using Progress = FakePollPorts::Progress;
namespace replies = poll_replies;

const std::string kStepLine(16, '-');
const std::string kEndLine(32, '=');
const std::string kQ3Query = "\xFF\xFF\xFF\xFFgetstatus";
const std::string kCssChallengeQuery = "\xFF\xFF\xFF\xFFW";
const std::string kCssInfoQuery("\xFF\xFF\xFF\xFFTSource Engine Query\0", 25);
const std::string kCssPlayerQuery = "\xFF\xFF\xFF\xFFU";
const std::string kChallenge = "\x11\x22\x33\x44";

TEST_F(PollTest, WorkedCycleWithEarlyAdvancesAndAPerServerQuery) {
  settings.MaxWaitAnswer = 500;
  AddAddress("10.0.0.5", kQ3);  // A: one query
  AddAddress("10.0.0.6", kCSS); // B: three, the third per server
  AddServer("10.0.0.6", kCSS);  // B's server answered in an earlier cycle
  engine().ApplyTimerSettings(settings);

  engine().Timer1Timer();
  EXPECT_TRUE(engine().Polling());
  EXPECT_EQ(ports.TakeSent(), (Datagrams{{"10.0.0.5", 27960, kQ3Query}}));
  EXPECT_EQ(ports.TakeTrace(),
            (Lines{kStepLine, "qry 10.0.0.5:27960 q3", "->10.0.0.5:27960 " + kQ3Query}));
  EXPECT_EQ(ports.stepTimer.armedAt, kStart);

  // A answers at once: a new server, listed and online; the early advance
  // commits A's pass and sends B's query 0 in the same handler.
  ports.SetClock(kStart, 40);
  Receive("10.0.0.5", 27960, replies::Q3("Alpha"));
  EXPECT_EQ(ports.TakeTrace(),
            (Lines{" <10.0.0.5:27960 " + replies::Q3("Alpha"), "new q3,res=2", kStepLine,
                   "qry 10.0.0.6:27015 css", "->10.0.0.6:27015 " + kCssChallengeQuery}));
  EXPECT_EQ(ports.TakeSent(), (Datagrams{{"10.0.0.6", 27015, kCssChallengeQuery}}));
  EXPECT_EQ(events.lines,
            (Lines{"Q3 server \"Alpha\" (10.0.0.5) is online",
                   "Player Bob entered Q3 server \"Alpha\" (10.0.0.5)"})); // committed
  EXPECT_EQ(ports.stepTimer.armedAt, ports.now);

  // B's server answers query 0 completely: query 1 at once.
  ports.SetClock(kStart, 70);
  Receive("10.0.0.6", 27015, replies::CssChallenge(kChallenge));
  EXPECT_EQ(ports.TakeTrace(),
            (Lines{" <10.0.0.6:27015 " + replies::CssChallenge(kChallenge), "exs css,res=2",
                   kStepLine, "qry 10.0.0.6:27015 css", "->10.0.0.6:27015 " + kCssInfoQuery}));
  EXPECT_EQ(ports.TakeSent(), (Datagrams{{"10.0.0.6", 27015, kCssInfoQuery}}));

  // No answer to query 1: a full wait later query 2 goes to B's server alone,
  // carrying its challenge.
  FireStepTimer();
  EXPECT_EQ(ports.now, kStart + 570 * FakePollPorts::kMillisecond);
  EXPECT_EQ(ports.TakeTrace(), (Lines{kStepLine, "qry 10.0.0.6:27015 css",
                                      "->10.0.0.6:27015 " + kCssPlayerQuery + kChallenge}));
  EXPECT_EQ(ports.TakeSent(), (Datagrams{{"10.0.0.6", 27015, kCssPlayerQuery + kChallenge}}));

  // The complete answer commits B's pass, finds no further address and ends
  // the cycle.
  ports.SetClock(kStart, 600);
  Receive("10.0.0.6", 27015, replies::CssPlayers("Carol", 9));
  EXPECT_EQ(ports.TakeTrace(), (Lines{" <10.0.0.6:27015 " + replies::CssPlayers("Carol", 9),
                                      "exs css,res=2", kStepLine, kEndLine}));
  EXPECT_TRUE(ports.sent.empty());
  EXPECT_FALSE(engine().Polling());
  EXPECT_EQ(ServerSummary(), (Lines{"10.0.0.6:27015 css online", "10.0.0.5:27960 q3 online"}));
  ASSERT_EQ(monitor.Servers.Items(0).Players.Count(), 1);
  EXPECT_EQ(monitor.Servers.Items(0).Players.Items(0).Name, "Carol");
  EXPECT_EQ(monitor.Servers.Items(0).Players.Items(0).Frags, 9);

  EXPECT_EQ(ports.progress,
            (std::vector<Progress>{{0, 4}, {1, 4}, {2, 4}, {3, 4}, {4, 4}, {0, 4}}));
  EXPECT_EQ(ports.timerCalls, (Lines{"cycle on 3000", "step on 500", "step on 500", "step on 500",
                                     "step on 500", "step on 500", "step off"}));
  EXPECT_EQ(ports.refreshes, 3 + 1); // each datagram, the cycle's end
}

TEST_F(PollTest, CompleteReplyAdvancesAtOnceUnlessSlowPoll) {
  for (const bool slowPoll : {false, true}) {
    SCOPED_TRACE(slowPoll ? "SlowPoll 1" : "SlowPoll 0");
    settings.SlowPoll = slowPoll;
    monitor.Addresses.Clear();
    monitor.Servers.Clear();
    ports = FakePollPorts{};
    AddAddress("10.0.0.1", kQ3);
    AddAddress("10.0.0.2", kQ3);
    engine().ApplyTimerSettings(settings);
    engine().Timer1Timer();
    ports.TakeSent();

    ports.SetClock(kStart, 100);
    Receive("10.0.0.1", 27960, replies::Q3("Arena"));
    if (slowPoll) {
      EXPECT_TRUE(ports.sent.empty());
      EXPECT_EQ(ports.stepTimer.armedAt, kStart);
      FireStepTimer();
      EXPECT_EQ(ports.now, kStart + 500 * FakePollPorts::kMillisecond);
    } else {
      // The step after this one comes a full wait after the reply.
      EXPECT_EQ(ports.stepTimer.armedAt, ports.now);
      EXPECT_EQ(ports.stepTimer.DueAt(), kStart + 600 * FakePollPorts::kMillisecond);
    }
    EXPECT_EQ(ports.TakeSent(), (Datagrams{{"10.0.0.2", 27960, kQ3Query}}));
    EXPECT_EQ(engine().ProgressPosition(), 2);
    engine().tmSubTimer();
    ASSERT_FALSE(engine().Polling());
  }
}

TEST_F(PollTest, PerServerQueryWithNobodyAnsweredSendsNothingYetTakesAFullStep) {
  AddAddress("10.0.0.6", kCSS);
  engine().ApplyTimerSettings(settings);
  engine().Timer1Timer();
  FireStepTimer();
  ports.TakeSent();
  ports.TakeTrace();

  FireStepTimer();
  EXPECT_EQ(ports.trace, (Lines{kStepLine, "qry 10.0.0.6:27015 css"}));
  EXPECT_TRUE(ports.sent.empty());
  EXPECT_TRUE(engine().Polling());
  EXPECT_EQ(engine().ProgressPosition(), 3);
  EXPECT_TRUE(ports.stepTimer.enabled);

  FireStepTimer();
  EXPECT_FALSE(engine().Polling());
}

// A handshake server seen for the first time: its challenge reply does not
// list it, so it waits in the pending list, and the info query goes out at
// once; the info reply lists it, and the per-server query goes out in the
// same handler with the challenge the pending record was given, so its
// players come in the first cycle.
TEST_F(PollTest, HandshakeServerSeenForTheFirstTime) {
  AddAddress("10.0.0.6", kCSS);
  engine().ApplyTimerSettings(settings);
  engine().Timer1Timer();
  ports.TakeSent();
  ports.TakeTrace();

  Receive("10.0.0.6", 27015, replies::CssChallenge(kChallenge));
  EXPECT_EQ(ports.TakeTrace(),
            (Lines{" <10.0.0.6:27015 " + replies::CssChallenge(kChallenge), "new css,res=2",
                   kStepLine, "qry 10.0.0.6:27015 css", "->10.0.0.6:27015 " + kCssInfoQuery}));
  EXPECT_EQ(monitor.Servers.Count(), 0);
  EXPECT_EQ(monitor.PendingServers.Count(), 1);
  EXPECT_EQ(ports.TakeSent(), (Datagrams{{"10.0.0.6", 27015, kCssInfoQuery}}));
  Receive("10.0.0.6", 27015, replies::CssInfo("Dust"));
  EXPECT_EQ(ServerSummary(), Lines{"10.0.0.6:27015 css online"});
  EXPECT_EQ(events.lines, Lines{"CS:S server \"Dust\" (10.0.0.6) is online"});
  EXPECT_EQ(ports.TakeSent(), (Datagrams{{"10.0.0.6", 27015, kCssPlayerQuery + kChallenge}}));

  Receive("10.0.0.6", 27015, replies::CssPlayers("Carol", 9));
  EXPECT_FALSE(engine().Polling());
  const TServer& server = monitor.Servers.Items(0);
  ASSERT_EQ(server.Players.Count(), 1);
  EXPECT_EQ(server.Players.Items(0).Name, "Carol");
  EXPECT_EQ(server.Info[SKARVEL_INFO_PLAYERS], "3");

  // The next cycle runs as in the worked cycle, with the challenge it brings.
  const std::string newer = "\x55\x66\x77\x88";
  engine().Timer1Timer();
  Receive("10.0.0.6", 27015, replies::CssChallenge(newer));
  Receive("10.0.0.6", 27015, replies::CssInfo("Dust"));
  EXPECT_EQ(ports.TakeSent(), (Datagrams{{"10.0.0.6", 27015, kCssChallengeQuery},
                                         {"10.0.0.6", 27015, kCssInfoQuery},
                                         {"10.0.0.6", 27015, kCssPlayerQuery + newer}}));
}

// Both handshake games: a new server's challenge is all it says until a
// request carries it, so the next step goes out at once; a server that then
// stays silent gets the step's full wait.
class PollHandshakeTest : public PollTest, public testing::WithParamInterface<int32_t> {};

TEST_P(PollHandshakeTest, ChallengeOfANewServerMovesOnAtOnceSilenceWaitsInFull) {
  settings.MaxWaitAnswer = 500;
  AddAddress("10.0.0.6", GetParam());
  engine().ApplyTimerSettings(settings);
  engine().Timer1Timer();
  EXPECT_EQ(ports.TakeSent(), (Datagrams{{"10.0.0.6", 27015, kCssChallengeQuery}}));

  ports.SetClock(kStart, 30);
  Receive("10.0.0.6", 27015, replies::CssChallenge(kChallenge));
  EXPECT_EQ(monitor.PendingServers.Count(), 1);
  EXPECT_EQ(ports.TakeSent(), (Datagrams{{"10.0.0.6", 27015, kCssInfoQuery}}));
  EXPECT_EQ(ports.stepTimer.armedAt, ports.now);
  EXPECT_EQ(engine().ProgressPosition(), 2);

  FireStepTimer();
  EXPECT_EQ(ports.now, kStart + 530 * FakePollPorts::kMillisecond);
  EXPECT_EQ(engine().ProgressPosition(), 3);
  EXPECT_TRUE(ports.sent.empty()); // nobody listed for the player query
}

INSTANTIATE_TEST_SUITE_P(Games, PollHandshakeTest, testing::Values(5, 6),
                         [](const testing::TestParamInfo<int32_t>& game) {
                           return game.param == 5 ? "csp" : "css";
                         });

// A server of another game behind a broadcast address of Counter-Strike:
// Source answers the same queries, and is not listed.
TEST_F(PollTest, OtherGameOnABroadcastAddressIsNotListed) {
  using namespace std::string_literals;
  const std::string teamFortress = "\xFF\xFF\xFF\xFFI\x11Hightower\0pl_hightower\0tf\0"
                                   "Team Fortress\0\xB8\x01\x03\x18"s;
  AddAddress("10.0.0.255", kCSS);
  engine().ApplyTimerSettings(settings);
  engine().Timer1Timer();
  Receive("10.0.0.6", 27015, replies::CssChallenge(kChallenge));
  Receive("10.0.0.7", 27015, replies::CssChallenge(kChallenge));
  FireStepTimer();
  Receive("10.0.0.7", 27015, teamFortress);
  Receive("10.0.0.6", 27015, replies::CssInfo("Dust"));
  EXPECT_EQ(ServerSummary(), Lines{"10.0.0.6:27015 css online"});
  ports.TakeSent();
  FireStepTimer();
  EXPECT_EQ(ports.TakeSent(), (Datagrams{{"10.0.0.6", 27015, kCssPlayerQuery + kChallenge}}));
}

} // namespace
