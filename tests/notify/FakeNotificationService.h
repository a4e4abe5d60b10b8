#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <utility>
#include <vector>

// A stand-in for the desktop's notification service on the test's private
// session bus, on a connection of its own, as another program would be. It
// records what it is asked to show and emits what a user's click would.
class FakeNotificationService : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
  struct TShown {
    uint Id = 0;
    QString App;
    uint Replaces = 0;
    QString Icon;
    QString Summary;
    QString Body;
    QStringList Actions;
    QVariantMap Hints;
    int Timeout = 0;
  };

  FakeNotificationService();
  // On the bus at `busAddress` instead of the session bus.
  explicit FakeNotificationService(const QString& busAddress);
  ~FakeNotificationService() override;

  // Takes the service's name on the bus; false when there is no bus.
  bool Register();
  void Unregister();

  std::vector<TShown> shown;
  QStringList capabilities{QStringLiteral("actions"), QStringLiteral("body")};
  bool refuse = false; // Notify answers with an error
  // Notify is answered only by AnswerHeld, GetCapabilities never.
  bool holdNotify = false;
  bool holdCapabilities = false;
  std::vector<uint> closed; // by CloseNotification

  // Answers the held Notify calls, which shows them.
  void AnswerHeld();

  // Waits until `peer` has received everything the service sent so far.
  bool Caught(const QDBusConnection& peer, int timeoutMs);
  void Click(uint id, const QString& action) { emit ActionInvoked(id, action); }
  void Expire(uint id) { emit NotificationClosed(id, 1); }
  // Sends `signal` from the service's connection, as its owner.
  bool Emit(const QDBusMessage& signal) { return bus_.send(signal); }
  // Sends `signal` from a connection of another program; returns once the
  // bus has passed it on, so anything the service sends later comes after.
  bool EmitAsAnotherProgram(const QDBusMessage& signal);

public Q_SLOTS:
  QStringList GetCapabilities();
  uint Notify(const QString& app, uint replaces, const QString& icon, const QString& summary,
              const QString& body, const QStringList& actions, const QVariantMap& hints,
              int timeout);
  void CloseNotification(uint id);

Q_SIGNALS:
  void ActionInvoked(uint id, const QString& action);
  void NotificationClosed(uint id, uint reason);

private:
  QString address_; // empty: the session bus
  QString name_;
  QDBusConnection bus_;
  uint lastId_ = 0;
  std::vector<std::pair<QDBusMessage, TShown>> held_;
};
