#include "tools/fakeserver/ServerState.h"

#include <gtest/gtest.h>

#include <set>

namespace {

ServerSetup SmallServer(int players, double churnSeconds, uint32_t seed = 3) {
  ServerSetup setup;
  setup.name = "Churny";
  setup.map = "q3dm17";
  setup.maxPlayers = 4;
  setup.initialPlayers = players;
  setup.churnSeconds = churnSeconds;
  setup.seed = seed;
  return setup;
}

std::vector<std::string> Names(const ServerState& state) {
  std::vector<std::string> names;
  for (const PlayerRecord& player : state.Players())
    names.push_back(player.name);
  return names;
}

TEST(FakeServerState, FirstPlayersHaveNonAsciiAndColourCodedNames) {
  EXPECT_EQ(Names(ServerState(SmallServer(3, 0))),
            (std::vector<std::string>{"Jörg", "Zoë", "Sarge"}));
  ServerSetup quake3 = SmallServer(3, 0);
  quake3.colourCodedNames = true;
  EXPECT_EQ(Names(ServerState(quake3)),
            (std::vector<std::string>{"^1Red^7Baron", "^2Bob", "Jörg"}));
}

TEST(FakeServerState, PlayersStartWithPlausibleStatsAndNeverExceedTheMaximum) {
  ServerSetup setup = SmallServer(9, 0);
  const ServerState state(setup);
  ASSERT_EQ(state.Players().size(), 4u);
  for (const PlayerRecord& player : state.Players()) {
    EXPECT_GE(player.frags, -1);
    EXPECT_LE(player.frags, 30);
    EXPECT_GE(player.ping, 15);
    EXPECT_GT(player.connectedSeconds, 0);
  }
}

TEST(FakeServerState, WithoutChurnOnlyConnectTimesMove) {
  ServerState state(SmallServer(2, 0));
  const double before = state.Players()[0].connectedSeconds;
  EXPECT_TRUE(state.Advance(100).empty());
  EXPECT_EQ(state.Players().size(), 2u);
  EXPECT_DOUBLE_EQ(state.Players()[0].connectedSeconds, before + 100);
  EXPECT_LT(state.SecondsToNextChurn(), 0);
}

TEST(FakeServerState, ChurnChangesOnePlayerPerIntervalWithinBounds) {
  ServerState state(SmallServer(0, 2));
  EXPECT_DOUBLE_EQ(state.SecondsToNextChurn(), 2);
  EXPECT_TRUE(state.Advance(1.5).empty());
  EXPECT_DOUBLE_EQ(state.SecondsToNextChurn(), 0.5);
  const std::vector<std::string> first = state.Advance(0.5);
  ASSERT_EQ(first.size(), 1u);
  EXPECT_EQ(first[0], "Jörg joined"); // an empty server can only gain a player
  for (int step = 0; step < 200; ++step) {
    const std::size_t before = state.Players().size();
    const std::vector<std::string> events = state.Advance(2);
    ASSERT_EQ(events.size(), 1u);
    const std::size_t after = state.Players().size();
    EXPECT_EQ(after > before ? after - before : before - after, 1u);
    EXPECT_LE(after, 4u);
    const std::vector<std::string> names = Names(state);
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size());
  }
}

TEST(FakeServerState, OneLongStepCatchesUpOnEveryMissedInterval) {
  ServerState state(SmallServer(1, 1));
  EXPECT_EQ(state.Advance(5.5).size(), 5u);
  EXPECT_DOUBLE_EQ(state.SecondsToNextChurn(), 0.5);
}

TEST(FakeServerState, TheSameSeedRepeatsTheSameHistory) {
  auto history = [](uint32_t seed) {
    ServerState state(SmallServer(2, 1, seed));
    std::vector<std::string> events = state.Advance(60);
    for (const PlayerRecord& player : state.Players())
      events.push_back(player.name + " " + std::to_string(player.frags));
    return events;
  };
  EXPECT_EQ(history(11), history(11));
  EXPECT_NE(history(11), history(12));
}

} // namespace
