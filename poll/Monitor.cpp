#include "poll/Monitor.h"

#include "config/AppSettings.h"
#include "config/BuddyList.h"
#include "config/SettingsFile.h"
#include "config/StatsLog.h"
#include "games/HostInfo.h"
#include "games/PluginLoader.h"
#include "protocols/builtin_games.h"
#include "util/data_folders.h"
#include "util/version.h"

namespace {

TPollSettings PollSettingsOf(const TAppSettings& settings) {
  return {settings.Interval, settings.MaxWaitAnswer, settings.SlowPoll};
}

void Report(const std::function<void(const std::exception&)>& report, const std::exception& error) {
  if (report)
    report(error);
}

} // namespace

TMonitor::TMonitor(const TServerRoles& roles, IPollPorts& ports)
    : Engine(Addresses, Servers, KnownServers, PendingServers, roles, ports), roles_(roles),
      ports_(ports) {
}

void TMonitor::Start(const TStartupOptions& options) {
  try {
    WithIni([&] { LoadFromIni(options); });
  } catch (const std::exception& error) {
    Report(options.LoadFailed, error);
  }
  try {
    StatsLog("Program started");
  } catch (const std::exception& error) {
    Report(options.LogFailed, error);
  }
  Engine.Timer1Timer();
}

void TMonitor::LoadFromIni(const TStartupOptions& options) {
  versionlessIni_ = Ini().ReadString("Common", "Version", "").empty();
  LoadAppSettings();
  LoadBuddies();
  if (options.ApplyLanguage)
    options.ApplyLanguage();
  THostInfo& host = ProgramHostInfo();
  host.HostVersion = ProgramVersion();
  host.Interval = AppSettings.Interval;
  const TPluginLoader plugins(host, StatPlugins, options.Icons, options.PluginFailed);
  Games.LoadGames(BuiltinGames(), host, [&](TGameList& games) {
    plugins.LoadFolders(games, DataFolders(TDataKind::Plugin));
  });
  if (options.ReadFrontEndSettings)
    options.ReadFrontEndSettings();
  Games.LoadSettings(options.Icons);
  KnownServers.LoadFromIni(Games, roles_, options.Icons, versionlessIni_, ports_.Now());
  Addresses.LoadFromIni(Games, options.Icons, versionlessIni_);
  ApplySettings();
  AppSettings.LastUpdate = Ini().ReadDate("Network", "LastUpdate", AppSettings.LastUpdate);
  if (versionlessIni_)
    Ini().WriteString("Common", "Version", VersionToText(ProgramVersion()));
}

void TMonitor::ApplySettings() {
  ProgramHostInfo().Interval = AppSettings.Interval;
  Engine.ApplyTimerSettings(PollSettingsOf(AppSettings));
}
