#include "model/player.h"

#include <string_view>
#include <unordered_map>
#include <utility>

#include "util/display_text.h"

TPlayer::TPlayer(std::string name, int32_t frags, TDateTime now)
    : Name(std::move(name)), Frags(frags), LastSeen(now) {
}

void TPlayerList::Add(std::unique_ptr<TPlayer> player) {
  items_.push_back(std::move(player));
}

void TPlayerList::Delete(int32_t index) {
  items_.erase(items_.begin() + index);
}

void TPlayerList::Assign(const TPlayerList& other) {
  items_.clear();
  for (const auto& player : other.items_)
    items_.push_back(std::make_unique<TPlayer>(*player));
}

void TPlayerList::MarkAllStale() {
  for (auto& player : items_)
    player->Stale = true;
}

void TPlayerList::RemoveStale() {
  std::erase_if(items_, [](const std::unique_ptr<TPlayer>& player) { return player->Stale; });
}

namespace {

// The list is shown, and its names may come in different encodings: each is
// decoded on its own.
void AppendName(std::string& names, const std::string& name) {
  if (!names.empty())
    names += ',';
  names += ToUtf8(name);
}

} // namespace

TPlayerChanges ComparePlayers(TPlayerList& players, const TPlayerList& newPlayers, TDateTime now,
                              const std::function<void(const std::string&)>& entered,
                              const std::function<void(const std::string&)>& left) {
  TPlayerChanges changes;
  players.MarkAllStale();
  // By name, so a server of many players is matched in linear time; the
  // first player of a name is the one found, as a search of the list finds it.
  // The keys view the players' own names, which stay where they are.
  std::unordered_map<std::string_view, TPlayer*> byName;
  byName.reserve(static_cast<std::size_t>(players.Count() + newPlayers.Count()));
  for (int32_t i = 0; i < players.Count(); ++i)
    byName.emplace(players.Items(i).Name, &players.Items(i));
  for (int32_t i = 0; i < newPlayers.Count(); ++i) {
    const TPlayer& newcomer = newPlayers.Items(i);
    const auto found = byName.find(newcomer.Name);
    TPlayer* player = found == byName.end() ? nullptr : found->second;
    if (player) {
      player->Frags = newcomer.Frags; // the name is the same; the rest is set below
    } else {
      changes.Changed = true;
      if (players.Count() == 0)
        changes.FirstPlayers = true;
      players.Add(std::make_unique<TPlayer>(newcomer));
      player = &players.Items(players.Count() - 1);
      byName.emplace(player->Name, player);
      entered(player->Name);
      AppendName(changes.Entered, player->Name);
    }
    player->Stale = false;
    player->LastSeen = now;
  }
  for (int32_t i = 0; i < players.Count(); ++i) {
    const TPlayer& player = players.Items(i);
    if (!player.Stale)
      continue;
    left(player.Name);
    changes.Changed = true;
    AppendName(changes.Left, player.Name);
  }
  players.RemoveStale();
  return changes;
}
