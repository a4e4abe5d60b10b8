#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

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
  ~FakeNotificationService() override;

  // Takes the service's name on the bus; false when there is no bus.
  bool Register();
  void Unregister();

  std::vector<TShown> shown;
  QStringList capabilities{QStringLiteral("actions"), QStringLiteral("body")};
  bool refuse = false; // Notify answers with an error

  // Waits until `peer` has received everything the service sent so far.
  bool Caught(const QDBusConnection& peer, int timeoutMs);
  void Click(uint id, const QString& action) { emit ActionInvoked(id, action); }
  void Expire(uint id) { emit NotificationClosed(id, 1); }

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
  QDBusConnection bus_;
  uint lastId_ = 0;
};
