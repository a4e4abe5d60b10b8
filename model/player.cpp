#include "model/player.h"

#include <utility>

#include "util/display_text.h"

TPlayer::TPlayer(std::string name, int32_t frags, TDateTime now)
    : Name(std::move(name)), Frags(frags), LastSeen(now) {
}

void TPlayer::Assign(const TPlayer& source) {
  Name = source.Name;
  Frags = source.Frags;
  LastSeen = source.LastSeen;
  Stale = source.Stale;
}

TPlayer* TPlayerList::Find(const std::string& name) const {
  for (const auto& player : items_)
    if (player->Name == name)
      return player.get();
  return nullptr;
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
  for (std::size_t i = items_.size(); i-- > 0;)
    if (items_[i]->Stale)
      items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(i));
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
  for (int32_t i = 0; i < newPlayers.Count(); ++i) {
    const TPlayer& newcomer = newPlayers.Items(i);
    TPlayer* player = players.Find(newcomer.Name);
    if (player) {
      player->Assign(newcomer);
    } else {
      changes.Changed = true;
      if (players.Count() == 0)
        changes.FirstPlayers = true;
      players.Add(std::make_unique<TPlayer>(newcomer));
      player = &players.Items(players.Count() - 1);
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
