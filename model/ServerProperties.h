#pragma once

#include <cstdint>
#include <string>

#include "model/tray_mode.h"

class IGameIcons;
class TServer;

// The options of one server that the user edits, as a value: the poll cycle
// goes on while the dialog is open and may remove the very server edited, so
// the window finds it again afterwards and applies these.
struct TServerProperties {
  std::string Description;
  std::string IconFile;
  std::string Sound;
  std::string Log;
  uint8_t TrayMode = kTrayOwnIcon;
  bool RealPlayersNumber = false;
  bool Popup = false;
  bool PlayerTips = false;

  bool operator==(const TServerProperties&) const = default;
};

TServerProperties PropertiesOf(const TServer& server);
// Sets the fields and loads the icon after IconFile (the game's default image
// when the file does not load).
void ApplyProperties(TServer& server, const TServerProperties& properties, IGameIcons* icons);
