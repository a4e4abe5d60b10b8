#pragma once

#include "games/game.h"
#include "model/ServerRoles.h"
#include "model/address.h"
#include "model/server.h"
#include "poll/PollEngine.h"
#include "poll/PollPorts.h"

// Everything the program polls with: the game registry, the address list,
// the three server lists and the engine over them. The window and the console
// front end each own one. Members go in reverse order: servers before the
// addresses, the registry last.
class TMonitor {
public:
  TMonitor(const TServerRoles& roles, IPollPorts& ports);

  // The start-up loads in their order, inside the caller's settings bracket:
  // the game registry, the per-game settings, the known servers and the
  // address list (with the one-time port correction of a versionless file).
  void LoadGames();
  void LoadLists(IGameIcons* icons, bool versionlessIni);

  TGameList Games;
  TAddressList Addresses;
  TServerList PendingServers;
  TServerList KnownServers;
  TServerList Servers;
  TPollEngine Engine;

private:
  TServerRoles roles_;
  IPollPorts& ports_;
};
