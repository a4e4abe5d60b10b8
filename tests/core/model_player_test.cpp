#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "model/player.h"

namespace {

using Roster = std::vector<std::pair<std::string, int32_t>>;

TPlayerList MakeList(const Roster& roster, TDateTime now) {
  TPlayerList list;
  for (const auto& [name, frags] : roster)
    list.Add(std::make_unique<TPlayer>(name, frags, now));
  return list;
}

Roster RosterOf(const TPlayerList& list) {
  Roster roster;
  for (int32_t i = 0; i < list.Count(); ++i)
    roster.emplace_back(list.Items(i).Name, list.Items(i).Frags);
  return roster;
}

struct ComparisonCase {
  const char* title;
  Roster committed;
  Roster incoming;
  std::vector<std::string> events; // "+name" entered, "-name" left, in firing order
  std::string entered;
  std::string left;
  bool changed;
  bool firstPlayers;
  Roster result;
};

std::ostream& operator<<(std::ostream& out, const ComparisonCase& c) {
  return out << c.title;
}

class PlayerComparisonTest : public ::testing::TestWithParam<ComparisonCase> {};

TEST_P(PlayerComparisonTest, FiresEventsAndUpdatesTheCommittedList) {
  const ComparisonCase& c = GetParam();
  TPlayerList players = MakeList(c.committed, 1.0);
  const TPlayerList incoming = MakeList(c.incoming, 2.0);
  std::vector<std::string> events;

  const TPlayerChanges changes = ComparePlayers(
      players, incoming, 3.0, [&](const std::string& name) { events.push_back("+" + name); },
      [&](const std::string& name) { events.push_back("-" + name); });

  EXPECT_EQ(events, c.events);
  EXPECT_EQ(changes.Entered, c.entered);
  EXPECT_EQ(changes.Left, c.left);
  EXPECT_EQ(changes.Changed, c.changed);
  EXPECT_EQ(changes.FirstPlayers, c.firstPlayers);
  EXPECT_EQ(RosterOf(players), c.result);
  for (int32_t i = 0; i < players.Count(); ++i) {
    EXPECT_FALSE(players.Items(i).Stale);
    EXPECT_EQ(players.Items(i).LastSeen, 3.0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Player, PlayerComparisonTest,
    ::testing::Values(
        // Entered events all come before left ones, even when a leaver is listed first.
        ComparisonCase{"KeptInPlaceNewcomerAppended",
                       {{"A", 1}, {"B", 2}, {"C", 3}},
                       {{"C", 4}, {"D", 5}},
                       {"+D", "-A", "-B"},
                       "D",
                       "A,B",
                       true,
                       false,
                       {{"C", 4}, {"D", 5}}},
        ComparisonCase{"FirstPlayers",
                       {},
                       {{"X", 0}, {"Y", 7}},
                       {"+X", "+Y"},
                       "X,Y",
                       "",
                       true,
                       true,
                       {{"X", 0}, {"Y", 7}}},
        ComparisonCase{"EveryoneLeaves",
                       {{"A", 1}, {"B", 2}, {"C", 3}},
                       {},
                       {"-A", "-B", "-C"},
                       "",
                       "A,B,C",
                       true,
                       false,
                       {}},
        // The second entry of a name updates the first: one player, one event.
        ComparisonCase{"DuplicateNamesInTheNewList",
                       {},
                       {{"X", 1}, {"X", 5}},
                       {"+X"},
                       "X",
                       "",
                       true,
                       true,
                       {{"X", 5}}},
        ComparisonCase{"RenameIsLeaveAndEnter",
                       {{"Old", 3}},
                       {{"New", 3}},
                       {"+New", "-Old"},
                       "New",
                       "Old",
                       true,
                       false,
                       {{"New", 3}}},
        ComparisonCase{"NamesDifferingInCaseAreDifferentPlayers",
                       {{"bob", 1}},
                       {{"Bob", 1}},
                       {"+Bob", "-bob"},
                       "Bob",
                       "bob",
                       true,
                       false,
                       {{"Bob", 1}}},
        ComparisonCase{"FragsOnlyChangeIsNoEvent",
                       {{"A", 1}, {"B", 2}},
                       {{"B", 9}, {"A", 0}},
                       {},
                       "",
                       "",
                       false,
                       false,
                       {{"A", 0}, {"B", 9}}},
        // Newcomers to a populated server are not "first players".
        ComparisonCase{"NewcomerJoinsPopulatedServer",
                       {{"A", 1}},
                       {{"A", 1}, {"B", 0}},
                       {"+B"},
                       "B",
                       "",
                       true,
                       false,
                       {{"A", 1}, {"B", 0}}}),
    [](const ::testing::TestParamInfo<ComparisonCase>& test) { return test.param.title; });

TEST(PlayerListTest, CopiesAreDeep) {
  TPlayerList original = MakeList({{"A", 1}}, 1.0);
  TPlayerList copy = original;
  copy.Items(0).Frags = 99;
  copy.Add(std::make_unique<TPlayer>("B", 0, 1.0));
  EXPECT_EQ(RosterOf(original), (Roster{{"A", 1}}));
  EXPECT_EQ(RosterOf(copy), (Roster{{"A", 99}, {"B", 0}}));
}

} // namespace
