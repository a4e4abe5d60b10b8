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
    : name_(QStringLiteral("fake-notification-service")),
      bus_(QDBusConnection::connectToBus(QDBusConnection::SessionBus, name_)) {
}

FakeNotificationService::FakeNotificationService(const QString& busAddress)
    : address_(busAddress), name_(QStringLiteral("fake-notification-service at ") + busAddress),
      bus_(QDBusConnection::connectToBus(busAddress, name_)) {
}

FakeNotificationService::~FakeNotificationService() {
  Unregister();
  QDBusConnection::disconnectFromBus(name_);
  QDBusConnection::disconnectFromBus(name_ + QStringLiteral(" (another program)"));
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
  if (holdCapabilities)
    setDelayedReply(true); // and never answered
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
  const TShown asked{0, app, replaces, icon, summary, body, actions, hints, timeout};
  if (holdNotify) {
    setDelayedReply(true);
    held_.emplace_back(message(), asked);
    return 0;
  }
  shown.push_back(asked);
  shown.back().Id = replaces != 0 ? replaces : ++lastId_;
  return shown.back().Id;
}

void FakeNotificationService::AnswerHeld() {
  for (auto& [call, asked] : std::exchange(held_, {})) {
    shown.push_back(asked);
    shown.back().Id = asked.Replaces != 0 ? asked.Replaces : ++lastId_;
    bus_.send(call.createReply(shown.back().Id));
  }
}

void FakeNotificationService::CloseNotification(uint id) {
  closed.push_back(id);
  emit NotificationClosed(id, 3);
}

bool FakeNotificationService::EmitAsAnotherProgram(const QDBusMessage& signal) {
  const QString name = name_ + QStringLiteral(" (another program)");
  QDBusConnection other = address_.isEmpty()
                              ? QDBusConnection::connectToBus(QDBusConnection::SessionBus, name)
                              : QDBusConnection::connectToBus(address_, name);
  // The bus handles a connection's messages in order: once it has answered
  // this call, it has passed the signal on.
  const QDBusMessage roundTrip = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
      QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetId"));
  return other.send(signal) && other.call(roundTrip).type() == QDBusMessage::ReplyMessage;
}

bool FakeNotificationService::Caught(const QDBusConnection& peer, int timeoutMs) {
  // The service answers in order: once this call's reply has come back, so
  // have the replies and signals sent before it.
  QDBusPendingCallWatcher watcher(peer.asyncCall(QDBusMessage::createMethodCall(
      kService, kPath, QStringLiteral("org.freedesktop.Notifications"),
      QStringLiteral("GetCapabilities"))));
  return QTest::qWaitFor([&] { return watcher.isFinished(); }, timeoutMs);
}
