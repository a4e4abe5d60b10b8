#pragma once

#include <cstdio>
#include <string>

#include "config/AppSettings.h"
#include "model/ServerRoles.h"
#include "tray/TrayIcons.h"
#include "tray/TrayPolicy.h"

// The user interface of the console: event lines go to a stream as they
// happen; there are no views, no tray icons, no sound and no statistics.
class TConsoleEvents final : public IServerNotifications {
public:
  // Lines go to `out`; none when it is null.
  explicit TConsoleEvents(std::FILE* out) : out_(out) {}
  TConsoleEvents(const TConsoleEvents&) = delete;
  TConsoleEvents& operator=(const TConsoleEvents&) = delete;

  // What the console's servers report to. The tray's decisions still run, so
  // a server's tray mode comes out as in the window.
  TServerRoles Roles() { return {views_, tray_, *this, statistics_}; }

  void EventLine(const TServer& server, const std::string& line) override;
  void PlaySound(const std::string&) override {} // a console has no sound to play

private:
  std::FILE* out_;
  TNoServerViews views_;
  TNoTrayIcons trayIcons_;
  TTrayPolicy tray_{trayIcons_, AppSettings};
  TNoServerStatistics statistics_;
};
