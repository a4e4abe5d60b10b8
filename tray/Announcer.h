#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "model/address.h"
#include "tray/AnnouncementThrottle.h"
#include "tray/DesktopNotifier.h"

// Where announcements go: to the desktop's notification service while one
// runs, else (and whenever the service fails one) to a balloon at the tray
// icon the tray chose. Both paths share one throttle: whichever shows them,
// a burst becomes five announcements and one "and N more".
class TAnnouncer : public QObject {
  Q_OBJECT
public:
  using TimePoint = TAnnouncementThrottle::TimePoint;
  struct THooks {
    // A balloon at a tray icon; the folded announcement uses the common icon.
    std::function<void(int32_t icon, const std::string& title, const std::string& text)> Balloon;
    // The user chose an action; the folded announcement has no server.
    TDesktopNotifier::ActionHandler Action;
    // Announcements are on (held ones are dropped when they are turned off).
    std::function<bool()> Enabled;
    std::function<TimePoint()> Now;
  };

  TAnnouncer(QDBusConnection bus, THooks hooks, QObject* parent);

  void Announce(const TAddressKey& server, int32_t icon, const std::string& title,
                const std::string& text);
  // Shows what was folded once the throttle lets it; the fold timer calls it.
  void ShowFolded();
  const QTimer& FoldTimer() const { return foldTimer_; }
  TDesktopNotifier& Notifier() { return notifier_; }

private:
  void Deliver(const std::optional<TAddressKey>& server, int32_t icon, const std::string& title,
               const std::string& text);
  void ArmFoldTimer();

  // The first announcement held back: alone, it shows as itself.
  struct THeld {
    TAddressKey Server;
    int32_t Icon = 0;
    std::string Title;
    std::string Text;
  };

  THooks hooks_;
  TDesktopNotifier notifier_;
  TAnnouncementThrottle throttle_;
  QTimer foldTimer_;
  std::optional<THeld> firstHeld_;
};
