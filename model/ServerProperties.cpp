#include "model/ServerProperties.h"

#include "model/server.h"

TServerProperties PropertiesOf(const TServer& server) {
  TServerProperties properties;
  properties.Description = server.Description;
  properties.IconFile = server.IconFile;
  properties.Sound = server.Sound;
  properties.Log = server.Log;
  properties.TrayMode = server.TrayMode;
  properties.RealPlayersNumber = server.RealPlayersNumber;
  properties.Popup = server.Popup;
  properties.PlayerTips = server.PlayerTips;
  return properties;
}

void ApplyProperties(TServer& server, const TServerProperties& properties, IGameIcons* icons) {
  server.Description = properties.Description;
  server.IconFile = properties.IconFile;
  server.Sound = properties.Sound;
  server.Log = properties.Log;
  server.TrayMode = properties.TrayMode;
  server.RealPlayersNumber = properties.RealPlayersNumber;
  server.Popup = properties.Popup;
  server.PlayerTips = properties.PlayerTips;
  server.LoadIcon(icons);
}
