#pragma once

#include "games/game.h"
#include "model/ServerEvents.h"
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
  TMonitor(IServerEvents& events, IPollPorts& ports);

  // The start-up loads in their order, inside the caller's settings bracket:
  // the game registry, the per-game settings, the known servers and the
  // address list (with the one-time port correction of a versionless file).
  void LoadGames();
  void LoadLists(IGameIcons* icons, bool versionlessIni);
  // The engine takes the timer settings from the program settings.
  void ApplyTimerSettings();

  TGameList Games;
  TAddressList Addresses;
  TServerList PendingServers;
  TServerList KnownServers;
  TServerList Servers;
  TPollEngine Engine;

private:
  IServerEvents& events_;
  IPollPorts& ports_;
};
