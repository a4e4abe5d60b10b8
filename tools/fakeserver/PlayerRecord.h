#pragma once

#include <string>

struct PlayerRecord {
  std::string name; // UTF-8; each game converts it to what it sends
  int frags = 0;
  int ping = 0;
  double connectedSeconds = 0;
};
