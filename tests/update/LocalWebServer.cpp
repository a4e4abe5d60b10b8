#include "tests/update/LocalWebServer.h"

#include <QTcpSocket>

#include <arpa/inet.h>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

TLocalWebServer::TLocalWebServer(TBehaviour behaviour) : behaviour_(std::move(behaviour)) {
  server_.listen(QHostAddress::LocalHost, 0);
  connect(&server_, &QTcpServer::newConnection, this, &TLocalWebServer::Accept);
}

std::string TLocalWebServer::Address() const {
  return "127.0.0.1:" + std::to_string(server_.serverPort());
}

void TLocalWebServer::Accept() {
  while (QTcpSocket* client = server_.nextPendingConnection()) {
    ++connections_;
    client->setParent(this);
    auto request = std::make_shared<QByteArray>();
    auto answered = std::make_shared<bool>(false);
    connect(client, &QTcpSocket::readyRead, this, [this, client, request, answered] {
      request->append(client->readAll());
      if (*answered || !request->contains("\r\n\r\n"))
        return;
      *answered = true;
      requests_.push_back(*request);
      behaviour_(*client);
    });
    connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
  }
}

TLocalWebServer::TBehaviour TLocalWebServer::Serve(const QByteArray& answer, int piece) {
  return [answer, piece](QTcpSocket& client) {
    const int step = piece > 0 ? piece : static_cast<int>(answer.size());
    for (qsizetype at = 0; at < answer.size(); at += step) {
      client.write(answer.mid(at, step));
      client.flush();
    }
    client.disconnectFromHost();
  };
}

TLocalWebServer::TBehaviour TLocalWebServer::SendAndStayOpen(const QByteArray& answer) {
  return [answer](QTcpSocket& client) { client.write(answer); };
}

TLocalWebServer::TBehaviour TLocalWebServer::SendForever(const QByteArray& head) {
  return [head](QTcpSocket& client) {
    client.write(head);
    const QByteArray lines = QByteArray("news that never ends\r\n").repeated(512);
    // Topped up whenever the client has taken the last batch.
    QObject::connect(&client, &QTcpSocket::bytesWritten, &client, [&client, lines] {
      if (client.bytesToWrite() == 0)
        client.write(lines);
    });
    client.write(lines);
  };
}

TLocalWebServer::TBehaviour TLocalWebServer::Trickle(const QByteArray& answer, int intervalMs) {
  return [answer, intervalMs](QTcpSocket& client) {
    auto* timer = new QTimer(&client);
    auto sent = std::make_shared<qsizetype>(0);
    QObject::connect(timer, &QTimer::timeout, &client, [&client, answer, sent] {
      client.write(answer.mid(*sent % answer.size(), 1));
      ++*sent;
    });
    timer->start(intervalMs);
  };
}

TLocalWebServer::TBehaviour TLocalWebServer::Stall() {
  return [](QTcpSocket&) {};
}

TRefusingPort::TRefusingPort() {
  fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (fd_ >= 0 && ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) == 0)
    port_ = ntohs(address.sin_port);
}

TRefusingPort::~TRefusingPort() {
  if (fd_ >= 0)
    ::close(fd_);
}

std::string TRefusingPort::Address() const {
  return "127.0.0.1:" + std::to_string(port_);
}
