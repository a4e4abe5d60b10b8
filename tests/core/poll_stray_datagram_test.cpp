#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/FakePollPorts.h"

namespace {

using namespace std::string_literals;
using Lines = std::vector<std::string>;
namespace replies = poll_replies;

// Game ids of the built-in types.
constexpr int32_t kUnreal = 0;
constexpr int32_t kU4 = 1;
constexpr int32_t kQ2 = 2;
constexpr int32_t kQuake3 = 3;
constexpr int32_t kSource = 6;

// Datagrams that reached the client's port during a pass and were taken for
// replies: each of them made a server that went online with an empty name.
struct StrayCase {
  const char* name;
  int32_t gameId;
  std::string datagram;
};

const StrayCase kStrayCases[] = {
    {"text without a query id to an Unreal poll", kUnreal, "random garbage text"},
    {"pairs without a query id", kUnreal, "\\hostname\\Ghost\\final\\"},
    {"0xFF and noise to a Quake 2 poll", kQ2, "\xFF\x13\x37 noise 3/16\n"},
    {"Quake 3 variables without the reply line", kQuake3, "\\sv_hostname\\Ghost\\mapname\\q3dm1\n"},
    {"UT2004 player reply with a byte left over", kU4, "\x80\0\0\0\x02\x01"s},
    {"Source challenge reply with bytes behind it", kSource,
     "\xFF\xFF\xFF\xFF"
     "A\x01\x02\x03\x04tail"},
};

TEST_F(PollTest, StrayDatagramsMakeNoServerAndRaiseNoEvent) {
  for (const StrayCase& c : kStrayCases) {
    SCOPED_TRACE(c.name);
    monitor.Addresses.Clear();
    ports = FakePollPorts{};
    events.calls.clear();
    AddAddress("10.0.0.5", c.gameId);
    engine().Timer1Timer();
    // From the polled host on its query port and elsewhere, and from another
    // host with the same last four characters.
    for (const int32_t port : {7778, 27910, 27960, 27015, 1024, 40000})
      for (const char* host : {"10.0.0.5", "10.1.0.5"})
        Receive(host, port, c.datagram);
    while (engine().Polling())
      FireStepTimer();
    EXPECT_EQ(monitor.Servers.Count(), 0);
    EXPECT_EQ(monitor.PendingServers.Count(), 0);
    EXPECT_TRUE(events.lines.empty());
    EXPECT_TRUE(events.calls.empty());
  }
}

// The server's own address sends, between its real replies, datagrams that
// only look like replies: another game's info, players with bytes behind them.
TEST_F(PollTest, StrayDatagramsFromAServersAddressLeaveItsDataAlone) {
  settings.SlowPoll = true; // every step waits, so the stray ones land in it
  engine().ApplyTimerSettings(settings);
  AddAddress("10.0.0.5", kCSS);
  engine().Timer1Timer();
  Receive("10.0.0.5", 27015, replies::CssChallenge("\x11\x22\x33\x44"));
  FireStepTimer();
  Receive("10.0.0.5", 27015, replies::CssInfo("Dust"));
  Receive("10.0.0.5", 27015,
          "\xFF\xFF\xFF\xFFI\x11"
          "Evil\0evil_map\0valve\0Half-Life\0\xF0\x00\x09\x10"s);
  FireStepTimer();
  Receive("10.0.0.5", 27015, replies::CssPlayers("Alice", 3));
  Receive("10.0.0.5", 27015, replies::CssPlayers("Mallory", 9) + "\x01"s);
  FireStepTimer();
  ASSERT_FALSE(engine().Polling());

  ASSERT_EQ(monitor.Servers.Count(), 1);
  const TServer& server = monitor.Servers.Items(0);
  EXPECT_EQ(server.Info, (std::array<std::string, 5>{"Dust", "de_dust2", "", "3", "16"}));
  std::vector<std::string> names;
  std::vector<std::string> frags;
  server.FillPlayerLists(names, frags);
  EXPECT_EQ(names, Lines{"Alice"});
  EXPECT_EQ(events.lines, (Lines{"CS:S server \"Dust\" (10.0.0.5) is online",
                                 "Player Alice entered CS:S server \"Dust\" (10.0.0.5)"}));
}

// A per-server query goes only to the servers that answered in the pass, so
// a datagram from anywhere else cannot be its answer, however it looks.
TEST_F(PollTest, AtAPerServerStepOnlyTheServersAskedAreHeard) {
  settings.SlowPoll = true;
  engine().ApplyTimerSettings(settings);
  AddAddress("10.0.0.255", kCSS);
  TServer& silent = AddServer("10.0.0.7", kCSS); // listed, silent in this pass
  silent.Info[SKARVEL_INFO_NAME] = "Seven";
  silent.NewInfo[SKARVEL_INFO_PLAYERS] = "4";
  engine().Timer1Timer();
  FireStepTimer();
  Receive("10.0.0.5", 27015, replies::CssInfo("Dust"));
  FireStepTimer(); // "U" to 10.0.0.5 alone
  Receive("10.0.0.6", 27015, replies::CssPlayers("Ghost", 1));
  Receive("10.0.0.7", 27015, replies::CssPlayers("Ghost", 1));
  Receive("10.0.0.5", 27015, replies::CssPlayers("Alice", 3));
  FireStepTimer();
  ASSERT_FALSE(engine().Polling());

  EXPECT_EQ(ServerSummary(), (Lines{"10.0.0.7:27015 css", "10.0.0.5:27015 css online"}));
  EXPECT_EQ(silent.Info[SKARVEL_INFO_NAME], "Seven");
  EXPECT_EQ(silent.PlayerCount(), 4);
  EXPECT_EQ(events.lines, (Lines{"CS:S server \"Dust\" (10.0.0.5) is online",
                                 "Player Alice entered CS:S server \"Dust\" (10.0.0.5)"}));
}

class UnrealOnlineTest : public PollTest {
protected:
  void SetUp() override {
    PollTest::SetUp();
    settings.SlowPoll = true;
    engine().ApplyTimerSettings(settings);
    // Known with balloons on, so its online balloon shows.
    auto known =
        TServer::CreateFromStore(monitor.Games, events.Roles(), "10.0.0.5", 7777, kUT, kStart);
    known->Popup = true;
    monitor.KnownServers.Add(std::move(known));
    AddAddress("10.0.0.5", kUT);
    engine().Timer1Timer();
  }

  Lines Balloons() const {
    Lines balloons;
    std::copy_if(events.calls.begin(), events.calls.end(), std::back_inserter(balloons),
                 [](const std::string& call) { return call.starts_with("ShowBalloon"); });
    return balloons;
  }

  const std::string kFirst = "\\hostname\\Arena\\numplayers\\0\\queryid\\7.1";
  const std::string kLast = "\\mapname\\DM-Deck16][\\queryid\\7.2\\final\\";
};

// The server is listed on the first part of its answer, before its name is
// there; its online line and balloon wait for the whole answer.
TEST_F(UnrealOnlineTest, AServerIsAnnouncedWithItsNameOnceItsAnswerIsWhole) {
  for (const bool lastFirst : {false, true}) {
    SCOPED_TRACE(lastFirst ? "last packet first" : "in order");
    monitor.Servers.Clear();
    events.calls.clear();
    events.lines.clear();
    engine().Refresh();
    Receive("10.0.0.5", 7778, lastFirst ? kLast : kFirst);
    EXPECT_EQ(ServerSummary(), Lines{"10.0.0.5:7777 ut online"});
    EXPECT_TRUE(events.lines.empty());
    EXPECT_TRUE(Balloons().empty());

    Receive("10.0.0.5", 7778, lastFirst ? kFirst : kLast);
    EXPECT_EQ(events.lines, Lines{"UT server \"Arena\" (10.0.0.5) is online"});
    EXPECT_EQ(Balloons(),
              Lines{"ShowBalloon 0 title=Skarvel text=UT server \"Arena\" (10.0.0.5) is online"});
    FireStepTimer();
    ASSERT_FALSE(engine().Polling());
  }
  // Announced once: the next cycle's answer raises nothing.
  events.lines.clear();
  engine().Refresh();
  Receive("10.0.0.5", 7778, kFirst);
  Receive("10.0.0.5", 7778, kLast);
  FireStepTimer();
  EXPECT_TRUE(events.lines.empty());
}

// An answer that never completes in the pass still announces its server, at
// the pass's end, with what it had: no name.
TEST_F(UnrealOnlineTest, AServerWhoseAnswerStaysPartIsAnnouncedAtItsCommit) {
  Receive("10.0.0.5", 7778, kLast);
  EXPECT_TRUE(events.lines.empty());
  FireStepTimer();
  ASSERT_FALSE(engine().Polling());
  EXPECT_EQ(events.lines, Lines{"UT server \"\" (10.0.0.5) is online"});
}

} // namespace
