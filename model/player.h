#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "util/datetime.h"

// One player as the server reported it; players are told apart by name only.
class TPlayer {
public:
  TPlayer(std::string name, int32_t frags, TDateTime now);

  std::string Name;
  int32_t Frags = 0;
  TDateTime LastSeen = 0;
  bool Stale = false;
};

// Players in arrival order; owns them.
class TPlayerList {
public:
  TPlayerList() = default;
  TPlayerList(const TPlayerList& other) { Assign(other); }
  TPlayerList& operator=(const TPlayerList& other) {
    if (this != &other)
      Assign(other);
    return *this;
  }
  TPlayerList(TPlayerList&&) noexcept = default;
  TPlayerList& operator=(TPlayerList&&) noexcept = default;

  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  TPlayer& Items(int32_t index) { return *items_.at(static_cast<std::size_t>(index)); }
  const TPlayer& Items(int32_t index) const { return *items_.at(static_cast<std::size_t>(index)); }
  void Add(std::unique_ptr<TPlayer> player);
  void Delete(int32_t index);
  void Clear() { items_.clear(); }
  void Assign(const TPlayerList& other);
  void MarkAllStale();
  void RemoveStale();

private:
  std::vector<std::unique_ptr<TPlayer>> items_;
};

// What a commit's comparison found: names joined by a bare comma in list order,
// each decoded to UTF-8 as ToUtf8 does, for showing.
struct TPlayerChanges {
  std::string Entered;
  std::string Left;
  bool Changed = false;
  bool FirstPlayers = false; // a player arrived while the committed list was empty
};

// Makes `players` the state of `newPlayers`: kept players take the new frags,
// newcomers are appended, leavers removed. Fires entered for every new name
// (all of them first), then left for every vanished one.
TPlayerChanges ComparePlayers(TPlayerList& players, const TPlayerList& newPlayers, TDateTime now,
                              const std::function<void(const std::string&)>& entered,
                              const std::function<void(const std::string&)>& left);
