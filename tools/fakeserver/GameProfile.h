#pragma once

#include <string>
#include <string_view>
#include <vector>

// What the emulator needs to know about one game type: where its queries
// arrive and what a fresh server of that game looks like.
struct GameProfile {
  std::string key;
  int defaultGamePort = 0;
  int queryPortOffset = 0;
  std::string defaultMap;
  // Quake 3 players like "^1" colour codes in their names.
  bool colourCodedNames = false;
  // Players of today's Source games wear long clan tags.
  bool clanTaggedNames = false;
};

const std::vector<GameProfile>& GameProfiles();

// Exact, lower-case key; nullptr for an unknown game.
const GameProfile* FindGameProfile(std::string_view key);
