#pragma once

#include <cstdint>
#include <string>

#include "model/ServerTray.h"

class ITrayIcons;
struct TAppSettings;

// The tray's decisions for a server, by its tray mode: the mode a new server
// gets, when its own icon is taken, shown, hidden or given back, with which
// hint and counter or image, and at which icon its balloons appear. Plain
// C++, so it is tested without a display; the icons are an ITrayIcons.
class TTrayPolicy final : public IServerTray {
public:
  // The settings are read at each decision: a changed setting counts at once.
  TTrayPolicy(ITrayIcons& icons, const TAppSettings& settings);

  uint8_t NewServerTrayMode() const override;
  void UpdateTrayIcon(TServer& server) override;
  void ServerCommitted(TServer& server) override;
  void ShowBalloon(const TServer& server, const std::string& title,
                   const std::string& text) override;
  void ReleaseTrayIcon(TServer& server) override;

private:
  ITrayIcons& icons_;
  const TAppSettings& settings_;
};
