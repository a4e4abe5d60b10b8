#pragma once

#include <cstdint>
#include <optional>
#include <string>

class TServer;

// What servers ask of the user interface: the main window implements it, tests
// record the calls. Tray icons are handles of the window's icon pool.
class IServerEvents {
public:
  static constexpr int32_t kCommonIcon = -1;

  virtual ~IServerEvents() = default;

  // A shown field of a server may have changed: it went online or offline,
  // answered, or committed its info and players. Lets the views redraw only
  // what changed.
  virtual void ServerChanged(const TServer& server) { (void)server; }
  // The record is about to be destroyed: drop every reference to it.
  virtual void ServerDestroyed(const TServer& server) { (void)server; }

  // Rebuild the player view when `server` is the one shown.
  virtual void RefreshPlayers(const TServer* server) = 0;
  // The common icon, the tray menu and its hint.
  virtual void RefreshTray() = 0;

  // A pool icon bound to the server; its clicks select that server.
  virtual int32_t AcquireTrayIcon(TServer& server) = 0;
  virtual void ReleaseTrayIcon(int32_t icon) = 0;
  // Shows the icon with its hint and either the player counter (count > 0)
  // or the game-type image.
  virtual void ShowTrayIcon(int32_t icon, const std::string& hint, int32_t playerCount,
                            int32_t imageIndex) = 0;
  virtual void HideTrayIcon(int32_t icon) = 0;
  // A balloon at a server's own icon, or at the common icon (kCommonIcon).
  virtual void ShowBalloon(int32_t icon, const std::string& title, const std::string& text) = 0;

  // Plays the file asynchronously, cutting off a sound still playing.
  virtual void PlaySound(const std::string& path) = 0;
  // Every event line (online, offline, entered, left), as the event log gets
  // it, whether or not logging is on; the console front end prints them.
  virtual void EventLine(const TServer& server, const std::string& line) {
    (void)server;
    (void)line;
  }
  // Hands the server's committed state to the statistics plug-ins.
  virtual void NotifyStatistics(const TServer& server) = 0;

  // Asks the user for a game executable; nothing when cancelled.
  virtual std::optional<std::string> SelectExecutable(const std::string& defaultName) = 0;
  // Starts the program in `folder`; true when it started.
  virtual bool StartGame(const std::string& executable, const std::string& parameters,
                         const std::string& folder) = 0;
};
