#pragma once

#include "tools/fakeserver/ServerState.h"

// A server as the reply tests see it: fixed texts, players from seed 7.
inline ServerState TestServerState(int players, bool colourCodedNames = false) {
  ServerSetup setup;
  setup.name = "Test Arena";
  setup.map = "dm-test";
  setup.address = "127.0.0.1";
  setup.gamePort = 7777;
  setup.queryPort = 7778;
  setup.maxPlayers = 12;
  setup.initialPlayers = players;
  setup.colourCodedNames = colourCodedNames;
  setup.seed = 7;
  return ServerState(setup);
}
