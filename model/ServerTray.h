#pragma once

#include <cstdint>
#include <string>

class TServer;

// The tray's part in a server's life. The server says what happened; the
// tray decides what its icons show and keeps the server's icon handle.
class IServerTray {
public:
  virtual ~IServerTray() = default;

  // The tray mode of a server until its stored properties say otherwise.
  virtual uint8_t NewServerTrayMode() const = 0;
  // The server went online or offline, or its tray mode changed: its own
  // icon follows, then the common icon.
  virtual void UpdateTrayIcon(TServer& server) = 0;
  // The server committed a pass: what it shows in the tray may have changed.
  virtual void ServerCommitted(TServer& server) = 0;
  // A balloon about the server, at its own icon or at the common icon.
  virtual void ShowBalloon(const TServer& server, const std::string& title,
                           const std::string& text) = 0;
  // The record goes: an icon it holds goes back to the pool.
  virtual void ReleaseTrayIcon(TServer& server) = 0;
};
