#include "platform/SingleInstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QThread>

#include <unistd.h>

namespace {

// Every spelling of one folder (relative, through a symlink, with "..", with
// trailing slashes) must give one key, or a second copy would run on it. A
// folder that cannot be resolved (missing, unreadable) still gets its absolute
// text, so the copies agree on that as well.
QString CanonicalFolder(const QString& programFolder) {
  const QFileInfo folder(programFolder);
  const QString canonical = folder.canonicalFilePath();
  return canonical.isEmpty() ? QDir::cleanPath(folder.absoluteFilePath()) : canonical;
}

// Socket names are short on Unix, so the folder enters as a hash.
QString NameFor(const QString& programFolder) {
  const QByteArray hash =
      QCryptographicHash::hash(CanonicalFolder(programFolder).toUtf8(), QCryptographicHash::Sha1)
          .toHex()
          .left(16);
  return QStringLiteral("Skarvel2-%1-%2").arg(getuid()).arg(QString::fromLatin1(hash));
}

} // namespace

SingleInstance::SingleInstance(const QString& programFolder, QObject* parent)
    : QObject(parent), serverName_(NameFor(programFolder)),
      lock_(QDir(QDir::tempPath()).filePath(serverName_ + QStringLiteral(".lock"))) {
  // Never stale by age: only a lock whose owner process has died is taken over.
  lock_.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() {
  if (server_)
    server_->close();
  lock_.unlock();
}

SingleInstance::Role SingleInstance::Acquire() {
  if (!lock_.tryLock(0))
    return lock_.error() == QLockFile::LockFailedError ? Role::Secondary : Role::Failed;

  // We hold the lock, so a socket left by a crashed copy is stale.
  QLocalServer::removeServer(serverName_);
  server_ = std::make_unique<QLocalServer>();
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_->listen(serverName_))
    return Role::Failed;
  connect(server_.get(), &QLocalServer::newConnection, this, &SingleInstance::OnNewConnection);
  return Role::Primary;
}

bool SingleInstance::SendRequest(int request, int timeoutMs) {
  const QDeadlineTimer deadline(timeoutMs);
  // The running copy may still be starting: retry until it listens.
  do {
    QLocalSocket socket;
    socket.connectToServer(serverName_);
    if (socket.waitForConnected(100)) {
      socket.write(QByteArray::number(request) + '\n');
      const bool written = socket.waitForBytesWritten(500);
      socket.disconnectFromServer();
      return written;
    }
    QThread::msleep(20);
  } while (!deadline.hasExpired());
  return false;
}

void SingleInstance::OnNewConnection() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
      while (socket->canReadLine()) {
        bool ok = false;
        const int request = socket->readLine(16).trimmed().toInt(&ok);
        if (ok)
          emit requestReceived(request);
      }
      // A peer that sends no line end within a small budget is not one of ours.
      if (socket->bytesAvailable() > 16)
        socket->abort();
    });
  }
}
