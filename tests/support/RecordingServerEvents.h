#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "config/AppSettings.h"
#include "model/GameLauncher.h"
#include "model/ServerRoles.h"
#include "model/server.h"
#include "tray/TrayIcons.h"
#include "tray/TrayPolicy.h"

// Records every call of a server to the user interface as one readable line,
// in order: what reaches the views, the tray's icons, the sound, the
// statistics and the game launcher. The tray's decisions are the real
// TTrayPolicy's, over the recorded icons. Tray icons behave like the window's
// pool: the first free handle is reused, a new one is made when none is free.
class RecordingServerEvents : public IServerViews,
                              public IServerNotifications,
                              public IServerStatistics,
                              public ITrayIcons,
                              public IGameLauncher {
public:
  std::vector<std::string> calls;
  // What the user picks in the executable dialog (nothing: cancelled), and
  // whether a start succeeds.
  std::optional<std::string> selectedExecutable;
  bool startSucceeds = true;
  // Runs before each call is recorded, so a test can weave in what else
  // happened in between (lines written to a log, say).
  std::function<void()> beforeEachCall;

  // What servers made for these tests report to.
  TServerRoles Roles() { return {*this, tray_, *this, *this}; }

  // The calls so far, which are then forgotten.
  std::vector<std::string> Take() { return std::exchange(calls, {}); }
  bool Held(int32_t icon) const {
    return icon >= 0 && static_cast<std::size_t>(icon) < inUse_.size() &&
           inUse_[static_cast<std::size_t>(icon)];
  }

  void ServerChanged(const TServer&) override {}
  void ServerDestroyed(const TServer&) override {}
  void RefreshPlayers(const TServer* server) override {
    Record("RefreshPlayers " + (server ? server->Host : std::string("none")));
  }
  void RefreshTray() override { Record("RefreshTray"); }
  int32_t AcquireTrayIcon(const TServer&) override {
    std::size_t icon = 0;
    while (icon < inUse_.size() && inUse_[icon])
      ++icon;
    if (icon == inUse_.size())
      inUse_.push_back(false);
    inUse_[icon] = true;
    Record("AcquireTrayIcon " + std::to_string(icon));
    return static_cast<int32_t>(icon);
  }
  void ReleaseTrayIcon(int32_t icon) override {
    Record("ReleaseTrayIcon " + std::to_string(icon) + (Held(icon) ? "" : " (not held)"));
    if (Held(icon))
      inUse_[static_cast<std::size_t>(icon)] = false;
  }
  void ShowTrayIcon(int32_t icon, const std::string& hint, int32_t playerCount,
                    int32_t imageIndex) override {
    Record("ShowTrayIcon " + std::to_string(icon) + " hint=" + hint +
           " count=" + std::to_string(playerCount) + " image=" + std::to_string(imageIndex));
  }
  void HideTrayIcon(int32_t icon) override { Record("HideTrayIcon " + std::to_string(icon)); }
  void ShowBalloon(const TServer&, int32_t icon, const std::string& title,
                   const std::string& text) override {
    Record("ShowBalloon " + std::to_string(icon) + " title=" + title + " text=" + text);
  }
  void PlaySound(const std::string& path) override { Record("PlaySound " + path); }
  void EventLine(const TServer&, const std::string&) override {}
  void BuddyEntered(const TServer& server, const std::string& player,
                    const std::string& text) override {
    Record("BuddyEntered " + server.Host + " " + player + ": " + text);
  }
  void NotifyStatistics(const TServer& server) override {
    Record("NotifyStatistics " + server.Host);
  }
  std::optional<std::string> SelectExecutable(const std::string& defaultName,
                                              const std::string& gameTitle) override {
    Record("SelectExecutable " + defaultName + " for " + gameTitle);
    return selectedExecutable;
  }
  void GameNotFound(const std::string& gameTitle, const std::string& executable) override {
    Record("GameNotFound " + gameTitle + ": " + executable);
  }
  bool StartGame(const std::string& executable, const std::string& parameters,
                 const std::string& folder) override {
    Record("StartGame " + executable + " params=" + parameters + " folder=" + folder);
    return startSucceeds;
  }

private:
  void Record(std::string line) {
    if (beforeEachCall)
      beforeEachCall();
    calls.push_back(std::move(line));
  }

  std::vector<bool> inUse_;
  TTrayPolicy tray_{*this, AppSettings};
};
