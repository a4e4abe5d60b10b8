#include "app/UpdateClient.h"

#include <QTcpSocket>

#include <string>
#include <string_view>

namespace {

// Read in pieces, so one burst never holds more than this besides the
// reply's own bytes.
constexpr qint64 kReadPiece = 16 * 1024;

} // namespace

TUpdateClient::TUpdateClient(QObject* parent) : QObject(parent) {
  deadline_.setSingleShot(true);
  // A coarse timer may fire early; the bound must never cut a check short.
  deadline_.setTimerType(Qt::PreciseTimer);
  connect(&deadline_, &QTimer::timeout, this, [this] { Failed(TUpdateFailure::TimedOut); });
}

TUpdateClient::~TUpdateClient() {
  if (socket_) {
    socket_->disconnect(this);
    socket_->abort();
  }
}

bool TUpdateClient::Start(const TUpdateServer& server, TDateTime lastCheck, TDone done) {
  if (Running())
    return false;
  server_ = server;
  reply_.emplace(lastCheck);
  connected_ = false;
  done_ = std::move(done);
  socket_ = new QTcpSocket(this);
  connect(socket_, &QTcpSocket::connected, this, &TUpdateClient::Connected);
  connect(socket_, &QTcpSocket::readyRead, this, &TUpdateClient::ReadAnswer);
  connect(socket_, &QTcpSocket::disconnected, this, &TUpdateClient::AnswerEnded);
  connect(socket_, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError) {
    // After the connection stood, any end of it is the end of the answer.
    connected_ ? AnswerEnded() : Failed(TUpdateFailure::Unreachable);
  });
  deadline_.start(timeBound_);
  socket_->setReadBufferSize(4 * kReadPiece);
  // Connected from the event loop: a connection refused at once must not
  // report before Start has returned.
  QMetaObject::invokeMethod(
      socket_,
      [socket = socket_, host = QString::fromStdString(server.Host), port = server.Port] {
        socket->connectToHost(host, port);
      },
      Qt::QueuedConnection);
  return true;
}

void TUpdateClient::Connected() {
  connected_ = true;
  const std::string request = UpdateRequest(server_);
  socket_->write(request.data(), static_cast<qint64>(request.size()));
}

void TUpdateClient::ReadAnswer() {
  while (socket_ && socket_->bytesAvailable() > 0) {
    const QByteArray piece = socket_->read(kReadPiece);
    if (piece.isEmpty())
      return;
    reply_->Feed(std::string_view(piece.constData(), static_cast<std::size_t>(piece.size())));
    if (reply_->Outcome()) {
      Finish(*reply_->Outcome());
      return;
    }
  }
}

void TUpdateClient::AnswerEnded() {
  if (!socket_)
    return;
  ReadAnswer(); // what arrived with the close
  if (!socket_)
    return;
  reply_->End();
  Finish(*reply_->Outcome());
}

void TUpdateClient::Failed(TUpdateFailure failure) {
  if (socket_)
    Finish(TUpdateOutcome{failure, {}});
}

void TUpdateClient::Finish(TUpdateOutcome outcome) {
  deadline_.stop();
  // The socket may be the sender of the signal being handled: it goes when
  // control is back in the event loop.
  QTcpSocket* socket = socket_;
  socket_ = nullptr;
  socket->disconnect(this);
  socket->abort();
  socket->deleteLater();
  reply_.reset();
  // The receiver may start the next check at once.
  TDone done = std::move(done_);
  done_ = nullptr;
  if (done)
    done(std::move(outcome));
}
