#pragma once

#include "games/StatPluginList.h"
#include "games/game.h"
#include "model/ServerRoles.h"
#include "model/address.h"
#include "model/server.h"
#include "poll/PollEngine.h"
#include "poll/PollPorts.h"
#include "poll/StartupOptions.h"

// Everything the program polls with: the game registry, the address list,
// the three server lists and the engine over them. The window and the console
// front end each own one. Members go in reverse order: servers before the
// addresses, then the statistics plug-ins are detached, the registry (and its
// game plug-ins) last.
class TMonitor {
public:
  TMonitor(const TServerRoles& roles, IPollPorts& ports);

  // The start-up both front ends run, after EnsureIniFile. In one
  // settings bracket: the program settings, the game registry, the front
  // end's own settings, the per-game settings, the known servers and the
  // address list (with the one-time port correction of a versionless file),
  // the engine's settings, the last update check, and the version of a
  // versionless file. Then the stats log's start-up line and the first cycle.
  void Start(const TStartupOptions& options);
  // After the program settings changed: the engine's timers and the poll
  // interval plug-ins see.
  void ApplySettings();
  // The settings file had no version when it was read at start-up.
  bool VersionlessIni() const { return versionlessIni_; }

  TGameList Games;
  // Plug-ins load from the program folder when the registry is filled.
  TStatPluginList StatPlugins;
  TAddressList Addresses;
  TServerList PendingServers;
  TServerList KnownServers;
  TServerList Servers;
  TPollEngine Engine;

private:
  void LoadFromIni(const TStartupOptions& options);

  TServerRoles roles_;
  IPollPorts& ports_;
  bool versionlessIni_ = false;
};
