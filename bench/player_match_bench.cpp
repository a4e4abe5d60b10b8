// The cost of matching a server's reported players against its list, with
// 160,000 players against 40,000 (both past the caches): the matching must
// grow linearly: the ratio stays well under 16, what a search of the list
// for every player makes it (the memory of the larger lists adds some).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "model/player.h"

namespace {

// Seconds for one match of `count` players, half of them new, against a
// list of `count`, in shuffled order.
double MatchSeconds(int count) {
  std::mt19937 random(7);
  std::vector<std::string> names;
  for (int i = 0; i < count + count / 2; ++i)
    names.push_back("player " + std::to_string(i));
  TPlayerList players;
  for (int i = 0; i < count; ++i)
    players.Add(std::make_unique<TPlayer>(names[static_cast<std::size_t>(i)], i, 1.0));
  std::vector<std::string> reported(names.begin() + count / 2, names.end());
  std::shuffle(reported.begin(), reported.end(), random);
  TPlayerList newPlayers;
  for (const std::string& name : reported)
    newPlayers.Add(std::make_unique<TPlayer>(name, 1, 2.0));

  const auto start = std::chrono::steady_clock::now();
  ComparePlayers(
      players, newPlayers, 2.0, [](const std::string&) {}, [](const std::string&) {});
  const auto elapsed = std::chrono::steady_clock::now() - start;
  if (players.Count() != count)
    std::fprintf(stderr, "expected %d players, have %d\n", count, players.Count());
  return std::chrono::duration<double>(elapsed).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

} // namespace

int main() {
  MatchSeconds(1000); // warm-up
  std::vector<double> small, large;
  // Alternating rounds, so a busy moment weighs on both sides.
  for (int round = 0; round < 7; ++round) {
    small.push_back(MatchSeconds(40000));
    large.push_back(MatchSeconds(160000));
  }
  const double smallMedian = Median(small);
  const double largeMedian = Median(large);
  std::printf("one match: %.2f ms with 40,000 players, %.2f ms with 160,000\n", smallMedian * 1000,
              largeMedian * 1000);
  std::printf("ratio 160,000/40,000: %.2f (target at most 10)\n", largeMedian / smallMedian);
  return 0;
}
