#pragma once

#include <cstdint>
#include <string>

class TServer;

// The icons in the notification area, as the tray's decisions use them: the
// common icon with the tray menu and its hint, and a pool of icons that
// servers hold by handle.
class ITrayIcons {
public:
  static constexpr int32_t kCommonIcon = -1;

  virtual ~ITrayIcons() = default;

  // The common icon, the tray menu and its hint.
  virtual void RefreshTray() = 0;
  // A pool icon bound to the server; its clicks select that server.
  virtual int32_t AcquireTrayIcon(const TServer& server) = 0;
  virtual void ReleaseTrayIcon(int32_t icon) = 0;
  // Shows the icon with its hint and either the player counter (count > 0)
  // or the game-type image.
  virtual void ShowTrayIcon(int32_t icon, const std::string& hint, int32_t playerCount,
                            int32_t imageIndex) = 0;
  virtual void HideTrayIcon(int32_t icon) = 0;
  // An announcement about the server: a balloon at a pool icon, or at the
  // common icon (kCommonIcon), or the desktop's notification in their place.
  virtual void ShowBalloon(const TServer& server, int32_t icon, const std::string& title,
                           const std::string& text) = 0;
};

// A front end without a notification area: icons are handed out and shown
// nowhere.
class TNoTrayIcons final : public ITrayIcons {
public:
  void RefreshTray() override {}
  int32_t AcquireTrayIcon(const TServer&) override { return kNoIcon; }
  void ReleaseTrayIcon(int32_t) override {}
  void ShowTrayIcon(int32_t, const std::string&, int32_t, int32_t) override {}
  void HideTrayIcon(int32_t) override {}
  void ShowBalloon(const TServer&, int32_t, const std::string&, const std::string&) override {}

private:
  // A handle that is neither "no icon" nor the common icon; nothing is behind it.
  static constexpr int32_t kNoIcon = 0;
};
