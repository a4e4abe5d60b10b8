#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "model/address.h"

class QDBusMessage;
class QDBusPendingCallWatcher;

// Notifications through the desktop's notification service
// (org.freedesktop.Notifications on the session bus). One about a server
// offers Join and Show; one about no single server offers Show. The service
// may come and go while the program runs: the bus tells who owns its name,
// and a notification the service does not take, or does not answer within
// the reply bound, runs its `failed` handler. Nothing here waits on the bus:
// a stalled bus or service costs a balloon the bound late, never the window.
// Notifications still unanswered when the notifier goes (at exit) are
// dropped: the tray icon of their balloons goes too, and a notification
// shown after exit would offer a Join that no program answers.
class TDesktopNotifier : public QObject {
  Q_OBJECT
public:
  // The user chose `action` ("join" or "show") on a notification of ours.
  using ActionHandler =
      std::function<void(const QString& action, const std::optional<TAddressKey>& server)>;

  TDesktopNotifier(QDBusConnection bus, ActionHandler onAction, QObject* parent);

  // The service runs, or the bus has not told yet whether it does. It is
  // never started on demand: a desktop without one keeps its balloons.
  bool Available() const;
  // `body` is shown as plain text even where the service reads markup.
  void Notify(const std::optional<TAddressKey>& server, const QString& title, const QString& body,
              std::function<void()> failed);
  // How long the service may take to answer before a notification fails.
  void SetReplyBound(std::chrono::milliseconds bound) { replyBound_ = bound; }

private Q_SLOTS:
  // Signals come as messages: only those the service's owner sent count.
  void OnActionInvoked(const QDBusMessage& signal);
  void OnNotificationClosed(const QDBusMessage& signal);
  void OnOwnerChanged(const QString& service, const QString& oldOwner, const QString& newOwner);

private:
  struct TPending {
    std::optional<TAddressKey> Server;
    QString Title;
    QString Body;
    std::function<void()> Failed;
  };
  enum class TCapabilities { Unknown, Asked, Known };

  void AskOwner();
  void AskCapabilities();
  void CapabilitiesArrived(QDBusPendingCallWatcher* watcher);
  void CapabilitiesTooLate();
  void Send(TPending pending);
  void CloseLate(uint32_t id);
  bool FromOwner(const QDBusMessage& signal) const;
  // A still open notification of the same server, which a new one replaces.
  uint32_t Replaced(const std::optional<TAddressKey>& server) const;

  QDBusConnection bus_;
  ActionHandler onAction_;
  std::chrono::milliseconds replyBound_{2000};
  // The unique name owning the service's name; empty without a service,
  // unset until the bus has told.
  std::optional<QString> owner_;
  TCapabilities capabilities_ = TCapabilities::Unknown;
  QTimer capabilitiesBound_;
  bool markup_ = true;                                  // until the service says otherwise
  std::vector<TPending> waiting_;                       // for the capabilities
  std::map<uint32_t, std::optional<TAddressKey>> open_; // by notification id
};
