#include "tests/notify/PrivateBus.h"

#include <QStringList>

#include <signal.h>

namespace {

// A slow machine starts it long before this.
constexpr int kStartMs = 30000;

} // namespace

PrivateBus::PrivateBus() {
  daemon_.start(QStringLiteral("dbus-daemon"),
                {QStringLiteral("--session"), QStringLiteral("--nofork"),
                 QStringLiteral("--print-address=1")});
  if (!daemon_.waitForStarted(kStartMs))
    return;
  // The daemon prints its address once it listens.
  while (!daemon_.canReadLine() && daemon_.waitForReadyRead(kStartMs)) {
  }
  address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
}

PrivateBus::~PrivateBus() {
  if (daemon_.state() == QProcess::NotRunning)
    return;
  Continue();
  daemon_.terminate();
  daemon_.waitForFinished(kStartMs);
}

bool PrivateBus::Stop() {
  return daemon_.processId() > 0 && ::kill(static_cast<pid_t>(daemon_.processId()), SIGSTOP) == 0;
}

bool PrivateBus::Continue() {
  return daemon_.processId() > 0 && ::kill(static_cast<pid_t>(daemon_.processId()), SIGCONT) == 0;
}
