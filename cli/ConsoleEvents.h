#pragma once

#include <cstdio>

#include "model/ServerEvents.h"

// The user interface of the console: event lines go to a stream as they
// happen; there is no tray, no balloon, no sound and no game to start.
class TConsoleEvents : public IServerEvents {
public:
  // Lines go to `out`; none when it is null.
  explicit TConsoleEvents(std::FILE* out) : out_(out) {}

  void RefreshPlayers(const TServer*) override {}
  void RefreshTray() override {}
  int32_t AcquireTrayIcon(TServer&) override { return kDummyIcon; }
  void ReleaseTrayIcon(int32_t) override {}
  void ShowTrayIcon(int32_t, const std::string&, int32_t, int32_t) override {}
  void HideTrayIcon(int32_t) override {}
  void ShowBalloon(int32_t, const std::string&, const std::string&) override {}
  void PlaySound(const std::string&) override {}
  void EventLine(const TServer& server, const std::string& line) override;
  void NotifyStatistics(const TServer&) override {}
  std::optional<std::string> SelectExecutable(const std::string&) override { return std::nullopt; }
  bool StartGame(const std::string&, const std::string&, const std::string&) override {
    return false;
  }

private:
  // A handle that is neither "no icon" nor the common icon; nothing is behind it.
  static constexpr int32_t kDummyIcon = 0;

  std::FILE* out_;
};
