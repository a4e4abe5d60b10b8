#include "poll/Monitor.h"

#include "config/AppSettings.h"
#include "protocols/builtin_games.h"
#include "util/version.h"

TMonitor::TMonitor(const TServerRoles& roles, IPollPorts& ports)
    : Engine(Addresses, Servers, KnownServers, PendingServers, roles, ports), roles_(roles),
      ports_(ports) {
}

void TMonitor::LoadGames() {
  THostInfo host{};
  host.HostVersion = ProgramVersion();
  host.Interval = AppSettings.Interval;
  Games.LoadGames(BuiltinGames(), host);
}

void TMonitor::LoadLists(IGameIcons* icons, bool versionlessIni) {
  Games.LoadSettings(icons);
  KnownServers.LoadFromIni(Games, roles_, icons, versionlessIni, ports_.Now());
  Addresses.LoadFromIni(Games, icons, versionlessIni);
}
