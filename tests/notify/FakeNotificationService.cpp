#include "tests/notify/FakeNotificationService.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QTest>

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");

} // namespace

FakeNotificationService::FakeNotificationService()
    : bus_(QDBusConnection::connectToBus(QDBusConnection::SessionBus,
                                         QStringLiteral("fake-notification-service"))) {
}

FakeNotificationService::~FakeNotificationService() {
  Unregister();
  QDBusConnection::disconnectFromBus(QStringLiteral("fake-notification-service"));
}

bool FakeNotificationService::Register() {
  return bus_.isConnected() &&
         bus_.registerObject(kPath, this,
                             QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals) &&
         bus_.registerService(kService);
}

void FakeNotificationService::Unregister() {
  if (!bus_.isConnected())
    return;
  bus_.unregisterService(kService);
  bus_.unregisterObject(kPath);
}

QStringList FakeNotificationService::GetCapabilities() {
  return capabilities;
}

uint FakeNotificationService::Notify(const QString& app, uint replaces, const QString& icon,
                                     const QString& summary, const QString& body,
                                     const QStringList& actions, const QVariantMap& hints,
                                     int timeout) {
  if (refuse) {
    sendErrorReply(QDBusError::Failed, QStringLiteral("refused"));
    return 0;
  }
  const uint id = replaces != 0 ? replaces : ++lastId_;
  shown.push_back({id, app, replaces, icon, summary, body, actions, hints, timeout});
  return id;
}

void FakeNotificationService::CloseNotification(uint id) {
  emit NotificationClosed(id, 3);
}

bool FakeNotificationService::Caught(const QDBusConnection& peer, int timeoutMs) {
  // The service answers in order: once this call's reply has come back, so
  // have the replies and signals sent before it.
  QDBusPendingCallWatcher watcher(peer.asyncCall(QDBusMessage::createMethodCall(
      kService, kPath, QStringLiteral("org.freedesktop.Notifications"),
      QStringLiteral("GetCapabilities"))));
  return QTest::qWaitFor([&] { return watcher.isFinished(); }, timeoutMs);
}
