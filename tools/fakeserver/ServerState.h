#pragma once

#include "tools/fakeserver/PlayerRecord.h"

#include <cstdint>
#include <random>
#include <string>
#include <vector>

struct ServerSetup {
  std::string name;
  std::string map;
  std::string address; // dotted quad the server reports as its own
  int gamePort = 0;
  int queryPort = 0;
  int maxPlayers = 16;
  int initialPlayers = 0;
  double churnSeconds = 0; // 0: the player list never changes
  bool colourCodedNames = false;
  bool clanTaggedNames = false;
  uint32_t seed = 1;
};

// One emulated game server: what it reports and who is playing. Every random
// choice comes from the seed, so a run can be repeated exactly.
class ServerState {
public:
  explicit ServerState(const ServerSetup& setup);

  const std::string& Name() const { return setup_.name; }
  const std::string& Map() const { return setup_.map; }
  const std::string& Address() const { return setup_.address; }
  int GamePort() const { return setup_.gamePort; }
  int QueryPort() const { return setup_.queryPort; }
  int MaxPlayers() const { return setup_.maxPlayers; }
  int FragLimit() const { return 25; }
  int TimeLimitMinutes() const { return 20; }
  const std::vector<PlayerRecord>& Players() const { return players_; }

  // Moves the server's clock on: connect times grow, and once per churn
  // interval a player joins or leaves. Returns one text per join or leave.
  std::vector<std::string> Advance(double seconds);

  // Seconds until the next join or leave; negative when there is no churn.
  double SecondsToNextChurn() const;

private:
  std::string Churn();
  void AddPlayer();
  std::string UnusedName() const;
  int RandomBetween(int low, int high);

  ServerSetup setup_;
  std::vector<PlayerRecord> players_;
  std::mt19937 random_;
  double sinceLastChurn_ = 0;
};
