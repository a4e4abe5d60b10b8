#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

// One running copy per user and program folder, however the folder is spelled
// (the key is its canonical path). The first start holds a lock file for its
// whole run and listens on a local socket; a later start finds the lock taken
// and sends its request over the socket instead.
class SingleInstance : public QObject {
  Q_OBJECT
public:
  enum class Role { Primary, Secondary, Failed };
  // A request from a later start: 0 shows the window, 1 refreshes players and tray.
  static constexpr int ShowRequest = 0;
  static constexpr int RefreshRequest = 1;

  explicit SingleInstance(const QString& programFolder, QObject* parent = nullptr);
  ~SingleInstance() override;

  Role Acquire();
  // From a secondary start: delivers the request to the running copy, waiting up
  // to timeoutMs for it to listen. False when it could not be delivered.
  bool SendRequest(int request, int timeoutMs = 1500);

  const QString& ServerName() const { return serverName_; }

signals:
  void requestReceived(int request);

private:
  void OnNewConnection();

  QString serverName_;
  QLockFile lock_;
  std::unique_ptr<QLocalServer> server_;
};
