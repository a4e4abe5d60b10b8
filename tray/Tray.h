#pragma once

#include <QIcon>
#include <QObject>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "tray/Announcer.h"
#include "tray/TrayIconList.h"
#include "tray/TrayIcons.h"
#include "tray/TrayState.h"

class QAction;
class QMenu;
class QSystemTrayIcon;
class QWidget;
class TServer;
class TServerList;

// What the tray asks of the main window.
struct TTrayWindow {
  std::function<void(const TServer&)> SelectServer;
  // Starts the game at the server, as Go! does.
  std::function<void(const TServer&)> Join;
  std::function<void()> Show;
  std::function<void()> Hide; // minimise and hide: only the tray icons remain
  std::function<bool()> Shown;
  std::function<void()> About;
  std::function<void()> Exit;
  std::function<QIcon(int32_t)> GameImage;
  std::function<bool()> Digits;
  std::function<bool()> PopupMessages;
};

// The common tray icon `ti`, the tray menu and the pool of servers' own
// icons, with their clicks and balloons. The icons show the live list; the
// main window owns this object.
class TTray : public QObject, public ITrayIcons {
  Q_OBJECT
public:
  TTray(QWidget& window, const TServerList& servers, TTrayWindow hooks);
  ~TTray() override;

  // The common icon's image, the menu entries and the hint. Recomputed only
  // when a server it shows changed since the last time.
  void RefreshTray() override;
  // A server may have changed; the next RefreshTray looks at it.
  void Touch(const TServer& server);
  // The record goes away: no entry keeps pointing at it.
  void Forget(const TServer& server);
  // Settings or texts changed: the next RefreshTray recomputes everything.
  void Invalidate();

  // Servers' own icons.
  int32_t AcquireTrayIcon(const TServer& server) override;
  void ReleaseTrayIcon(int32_t icon) override;
  void ShowTrayIcon(int32_t icon, const std::string& hint, int32_t playerCount,
                    int32_t imageIndex) override;
  void HideTrayIcon(int32_t icon) override;
  // While "PopupMessages" is on: a desktop notification about the server,
  // or where the desktop has none, a balloon at an own icon or at the common
  // icon (kCommonIcon).
  void ShowBalloon(const TServer& server, int32_t icon, const std::string& title,
                   const std::string& text) override;

  // Clicks.
  void tiClick();
  void OwnIconClick(int32_t icon);
  void NClick(int32_t entry);
  // A buddy's entry: shows the server the buddy plays on.
  void BuddyClick(int32_t entry);
  // An action chosen on a notification: "join" or "show" a server, or only
  // the window when the server is gone or none was named.
  void NotificationAction(const QString& action, const std::optional<TAddressKey>& server);

  QSystemTrayIcon& CommonIcon() const { return *ti; }
  QMenu& Menu() const { return *pmTray; }
  const TTrayIconList& Pool() const { return *pool_; }
  TAnnouncer& Announcer() const { return *announcer_; }
  QAction& Entry(int32_t entry) const { return *entries_.at(static_cast<std::size_t>(entry)); }
  const TServer* EntryServer(int32_t entry) const {
    return entryServers_.at(static_cast<std::size_t>(entry));
  }
  QAction& BuddyEntry(int32_t entry) const {
    return *buddyEntries_.at(static_cast<std::size_t>(entry));
  }
  int32_t LastTrayTag() const { return lastTrayTag_; }

private:
  // What one online server contributes to the tray; a change of any part
  // means the tray must be worked out again.
  struct TSignature {
    uint8_t TrayMode = 0;
    int32_t PlayerCount = 0;
    std::string Caption;
    std::vector<std::string> Buddies;
    bool operator==(const TSignature&) const = default;
  };
  static TSignature SignatureOf(const TServer& server);
  // Online and in the live list (not a pending or known copy).
  bool Listed(const TServer& server) const;
  bool AnyTouchedChanged() const;
  void Recompute();
  void SetTrayState(int32_t image);
  void DrawCounterIcon(int32_t number);
  // The counter icon for a number of 0..99, drawn once.
  std::optional<QIcon> Counter(int32_t number);
  void Toggle(int32_t clicked);
  void BalloonAt(int32_t icon, const std::string& title, const std::string& text);
  // Shows an entry per caption of `shown`, in order, and hides the rest.
  static void ShowEntries(const std::vector<TTrayState::TEntry>& shown,
                          std::array<QAction*, 16>& entries,
                          std::array<const TServer*, 16>& servers);

  const TServerList& servers_;
  TTrayWindow window_;
  QSystemTrayIcon* ti = nullptr;
  QMenu* pmTray = nullptr;
  std::array<QAction*, 16> entries_{};
  std::array<const TServer*, 16> entryServers_{};
  QAction* buddySeparator_ = nullptr;
  std::array<QAction*, 16> buddyEntries_{};
  std::array<const TServer*, 16> buddyServers_{};
  std::unique_ptr<TTrayIconList> pool_;
  TAnnouncer* announcer_ = nullptr;
  int32_t lastTrayTag_ = kCommonIcon;

  bool stale_ = true;
  std::unordered_set<const TServer*> touched_;
  std::unordered_map<const TServer*, TSignature> shown_; // online servers at the last recompute
  // The common icon's image as last set: state 0..2, or 100 + counter.
  int32_t commonImage_ = -1;
  // What each own icon shows, as last set.
  struct TOwnIconShown {
    struct TImage {
      bool Counter = false;
      int32_t Value = -1; // the count, or the game image's index
      bool operator==(const TImage&) const = default;
    };
    TImage Image;
    QString Hint;
  };
  std::unordered_map<int32_t, TOwnIconShown> ownShown_;
  // Counters drawn so far, by number (0..99): icons of servers with as many
  // players share one image.
  std::unordered_map<int32_t, QIcon> counters_;
};
