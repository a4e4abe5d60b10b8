#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "model/address.h"

class QDBusPendingCallWatcher;

// Notifications through the desktop's notification service
// (org.freedesktop.Notifications on the session bus). One about a server
// offers Join and Show; one about no single server offers Show. The service
// may come and go while the program runs: Available asks the bus each time,
// and a notification the service does not take runs its `failed` handler.
class TDesktopNotifier : public QObject {
  Q_OBJECT
public:
  // The user chose `action` ("join" or "show") on a notification of ours.
  using ActionHandler =
      std::function<void(const QString& action, const std::optional<TAddressKey>& server)>;

  TDesktopNotifier(QDBusConnection bus, ActionHandler onAction, QObject* parent);

  // The service runs now. It is never started on demand: a desktop without
  // one keeps its balloons.
  bool Available() const;
  // `body` is shown as plain text even where the service reads markup.
  void Notify(const std::optional<TAddressKey>& server, const QString& title, const QString& body,
              std::function<void()> failed);

private Q_SLOTS:
  void OnActionInvoked(uint id, const QString& action);
  void OnNotificationClosed(uint id, uint reason);
  void OnOwnerChanged();

private:
  struct TPending {
    std::optional<TAddressKey> Server;
    QString Title;
    QString Body;
    std::function<void()> Failed;
  };
  enum class TCapabilities { Unknown, Asked, Known };

  void AskCapabilities();
  void CapabilitiesArrived(QDBusPendingCallWatcher* watcher);
  void Send(TPending pending);
  // A still open notification of the same server, which a new one replaces.
  uint32_t Replaced(const std::optional<TAddressKey>& server) const;

  QDBusConnection bus_;
  ActionHandler onAction_;
  TCapabilities capabilities_ = TCapabilities::Unknown;
  bool markup_ = true;                                  // until the service says otherwise
  std::vector<TPending> waiting_;                       // for the capabilities
  std::map<uint32_t, std::optional<TAddressKey>> open_; // by notification id
};
