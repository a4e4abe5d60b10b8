#pragma once

#include "tools/fakeserver/A2sBehaviour.h"

#include <cstdint>
#include <string>
#include <vector>

struct EmulatorOptions {
  std::string gameKey;
  int gamePort = 0;  // the game's default port when not given
  int queryPort = 0; // game port plus the game's query port offset
  std::string bindAddress = "127.0.0.1";
  int count = 1; // servers on consecutive game ports
  int hosts = 0; // machines 127.0.0.2, 127.0.0.3, ... sharing one port
  std::string name = "Skarvel Test Server";
  std::string map; // the game's default map when not given
  int maxPlayers = 16;
  int players = 0;
  double churnSeconds = 0;
  int dropPercent = 0;
  bool outOfOrder = false;
  uint32_t seed = 1;
  A2sBehaviour a2s; // --no-challenge and --split, for --game a2s only
  bool help = false;
};

struct ParsedOptions {
  EmulatorOptions options;
  std::string error; // empty when the command line was valid
};

// args without the program name. Fills in the game's defaults and checks
// every value, so a valid result can be run as it is.
ParsedOptions ParseEmulatorOptions(const std::vector<std::string>& args);

std::string EmulatorUsage();
