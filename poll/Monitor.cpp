#include "poll/Monitor.h"

#include "config/AppSettings.h"
#include "protocols/builtin_games.h"
#include "util/version.h"

TMonitor::TMonitor(IServerEvents& events, IPollPorts& ports)
    : Engine(Addresses, Servers, KnownServers, PendingServers, events, ports), events_(events),
      ports_(ports) {
}

void TMonitor::LoadGames() {
  THostInfo host{};
  host.HostVersion = ProgramVersion();
  host.Interval = AppSettings.Interval;
  Games.LoadGames(BuiltinGames(), host);
}

void TMonitor::ApplyTimerSettings() {
  Engine.ApplyTimerSettings(
      {AppSettings.Interval, AppSettings.MaxWaitAnswer, AppSettings.SlowPoll});
}

void TMonitor::LoadLists(IGameIcons* icons, bool versionlessIni) {
  Games.LoadSettings(icons);
  KnownServers.LoadFromIni(Games, events_, icons, versionlessIni, ports_.Now());
  Addresses.LoadFromIni(Games, icons, versionlessIni);
}
