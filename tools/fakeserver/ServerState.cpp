#include "tools/fakeserver/ServerState.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace {

// Names a player list starts with, in order, so that even two players show
// non-ASCII letters.
constexpr std::array<std::string_view, 24> kNames = {
    "Jörg",   "Zoë",   "Sarge",  "Visor", "Ranger",    "Xaero", "Doom",   "Mynx",
    "Anarki", "Klesk", "Hunter", "Orbb",  "Bitterman", "Slash", "Grunt",  "Major",
    "Daemia", "Lucy",  "Bones",  "Razor", "Uriel",     "Wrack", "Phobos", "Sorlag",
};
constexpr std::array<std::string_view, 2> kColourCodedNames = {"^1Red^7Baron", "^2Bob"};
// Put in front of the names in turn; with them a dozen players make a player
// list longer than a small split size.
constexpr std::array<std::string_view, 4> kClanTags = {"[Fjordheim Raiders] ", "-=Night Shift=- ",
                                                       "|Skarvel Veterans| ", "<Northern Lights> "};

} // namespace

ServerState::ServerState(const ServerSetup& setup) : setup_(setup), random_(setup.seed) {
  const int initial = std::clamp(setup_.initialPlayers, 0, setup_.maxPlayers);
  for (int i = 0; i < initial; ++i)
    AddPlayer();
}

std::vector<std::string> ServerState::Advance(double seconds) {
  for (PlayerRecord& player : players_)
    player.connectedSeconds += seconds;
  std::vector<std::string> events;
  if (setup_.churnSeconds <= 0)
    return events;
  sinceLastChurn_ += seconds;
  while (sinceLastChurn_ >= setup_.churnSeconds) {
    sinceLastChurn_ -= setup_.churnSeconds;
    events.push_back(Churn());
  }
  return events;
}

double ServerState::SecondsToNextChurn() const {
  if (setup_.churnSeconds <= 0)
    return -1;
  return std::max(0.0, setup_.churnSeconds - sinceLastChurn_);
}

std::string ServerState::Churn() {
  const bool full = static_cast<int>(players_.size()) >= setup_.maxPlayers;
  const bool join = players_.empty() || (!full && RandomBetween(0, 1) == 0);
  if (join) {
    AddPlayer();
    return players_.back().name + " joined";
  }
  const auto leaving = players_.begin() + RandomBetween(0, static_cast<int>(players_.size()) - 1);
  std::string event = leaving->name + " left";
  players_.erase(leaving);
  return event;
}

void ServerState::AddPlayer() {
  PlayerRecord player;
  player.name = UnusedName();
  player.frags = RandomBetween(-1, 30);
  player.ping = RandomBetween(15, 180);
  player.connectedSeconds = RandomBetween(20, 1800);
  players_.push_back(std::move(player));
}

std::string ServerState::UnusedName() const {
  auto taken = [this](std::string_view name) {
    return std::any_of(players_.begin(), players_.end(),
                       [name](const PlayerRecord& player) { return player.name == name; });
  };
  if (setup_.colourCodedNames)
    for (std::string_view name : kColourCodedNames)
      if (!taken(name))
        return std::string(name);
  auto tagged = [this](std::size_t index, std::string_view name) {
    if (!setup_.clanTaggedNames)
      return std::string(name);
    return std::string(kClanTags[index % kClanTags.size()]) + std::string(name);
  };
  for (std::size_t index = 0; index < kNames.size(); ++index)
    if (std::string name = tagged(index, kNames[index]); !taken(name))
      return name;
  for (int number = 1;; ++number) {
    std::string name = tagged(static_cast<std::size_t>(number), "Player" + std::to_string(number));
    if (!taken(name))
      return name;
  }
}

int ServerState::RandomBetween(int low, int high) {
  return std::uniform_int_distribution<int>(low, high)(random_);
}
