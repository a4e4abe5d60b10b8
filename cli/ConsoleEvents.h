#pragma once

#include <cstdio>
#include <string>

#include "config/AppSettings.h"
#include "games/StatPluginList.h"
#include "model/ServerRoles.h"
#include "tray/TrayIcons.h"
#include "tray/TrayPolicy.h"

// The user interface of the console: event lines go to a stream as they
// happen, committed states to the statistics plug-ins; there are no views, no
// tray icons and no sound.
class TConsoleEvents final : public IServerNotifications, public IServerStatistics {
public:
  // Lines go to `out`; none when it is null. With `buddiesOnly` only the
  // buddy announcements are printed.
  explicit TConsoleEvents(std::FILE* out, bool buddiesOnly = false)
      : out_(out), buddiesOnly_(buddiesOnly) {}
  TConsoleEvents(const TConsoleEvents&) = delete;
  TConsoleEvents& operator=(const TConsoleEvents&) = delete;

  // What the console's servers report to. The tray's decisions still run, so
  // a server's tray mode comes out as in the window.
  TServerRoles Roles() { return {views_, tray_, *this, *this}; }
  // The monitor's statistics plug-ins, once it is made.
  void AttachStatPlugins(const TStatPluginList& plugins) { statPlugins_ = &plugins; }

  void EventLine(const TServer& server, const std::string& line) override;
  void BuddyEntered(const TServer& server, const std::string& player,
                    const std::string& text) override;
  void PlaySound(const std::string&) override {} // a console has no sound to play
  void NotifyStatistics(const TServer& server) override;

private:
  void Print(const std::string& line);

  std::FILE* out_;
  bool buddiesOnly_;
  TNoServerViews views_;
  TNoTrayIcons trayIcons_;
  TTrayPolicy tray_{trayIcons_, AppSettings};
  const TStatPluginList* statPlugins_ = nullptr;
};
