#include "tray/TrayPolicy.h"

#include "config/AppSettings.h"
#include "model/server.h"
#include "tray/TrayIcons.h"
#include "tray/TrayState.h"

TTrayPolicy::TTrayPolicy(ITrayIcons& icons, const TAppSettings& settings)
    : icons_(icons), settings_(settings) {
}

uint8_t TTrayPolicy::NewServerTrayMode() const {
  return settings_.TrayNew;
}

void TTrayPolicy::UpdateTrayIcon(TServer& server) {
  if (server.TrayMode == kTrayOwnIcon) {
    // An own icon stays the server's while it is offline, only hidden.
    if (server.TrayIcon == TServer::kNoTrayIcon)
      server.TrayIcon = icons_.AcquireTrayIcon(server);
    if (server.Online)
      icons_.ShowTrayIcon(server.TrayIcon, TrayHintLine(server), server.PlayerCount(),
                          server.EffectiveIconIndex());
    else
      icons_.HideTrayIcon(server.TrayIcon);
  } else {
    ReleaseTrayIcon(server);
  }
  icons_.RefreshTray();
}

void TTrayPolicy::ServerCommitted(TServer& server) {
  // A server of mode 3 (only the store has it) is nowhere in the tray.
  if (server.TrayMode == kTrayCommonIcon)
    icons_.RefreshTray();
  else if (server.TrayMode == kTrayOwnIcon || server.TrayMode == kTrayNoIcon)
    UpdateTrayIcon(server);
}

void TTrayPolicy::ShowBalloon(const TServer& server, const std::string& title,
                              const std::string& text) {
  if (!settings_.PopupMessages)
    return;
  const bool ownIcon = server.TrayMode == kTrayOwnIcon && server.TrayIcon != TServer::kNoTrayIcon;
  icons_.ShowBalloon(server, ownIcon ? server.TrayIcon : ITrayIcons::kCommonIcon, title, text);
}

void TTrayPolicy::ReleaseTrayIcon(TServer& server) {
  if (server.TrayIcon == TServer::kNoTrayIcon)
    return;
  icons_.ReleaseTrayIcon(server.TrayIcon);
  server.TrayIcon = TServer::kNoTrayIcon;
}
