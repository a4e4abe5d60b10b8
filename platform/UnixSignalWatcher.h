#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <initializer_list>
#include <memory>

// Turns SIGTERM, SIGINT and friends into a Qt signal on the main thread, so
// they can take the normal end-of-session path (a self-pipe; the handler only
// writes one byte).
class UnixSignalWatcher : public QObject {
  Q_OBJECT
public:
  explicit UnixSignalWatcher(std::initializer_list<int> watched, QObject* parent = nullptr);
  ~UnixSignalWatcher() override;

signals:
  void received(int signal);

private:
  void OnReadable();
  std::unique_ptr<QSocketNotifier> notifier_;
};
