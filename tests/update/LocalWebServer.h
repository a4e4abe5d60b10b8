#pragma once

#include <QByteArray>
#include <QObject>
#include <QTcpServer>
#include <QTimer>

#include <functional>
#include <string>
#include <vector>

class QTcpSocket;

// A web server of the tests' own on 127.0.0.1: it reads each request up to its
// empty line, then answers as the test's behaviour says. The behaviours cover
// the servers an update check must survive.
class TLocalWebServer : public QObject {
  Q_OBJECT
public:
  using TBehaviour = std::function<void(QTcpSocket& client)>;

  explicit TLocalWebServer(TBehaviour behaviour);

  // "127.0.0.1:<port>"
  std::string Address() const;
  int Connections() const { return connections_; }
  const std::vector<QByteArray>& Requests() const { return requests_; }

  // Sends the bytes in pieces of `piece` bytes (all at once when 0), then
  // closes the connection.
  static TBehaviour Serve(const QByteArray& answer, int piece = 0);
  // Sends the bytes and keeps the connection open.
  static TBehaviour SendAndStayOpen(const QByteArray& answer);
  // Sends `head`, then lines without end as fast as the client takes them.
  static TBehaviour SendForever(const QByteArray& head);
  // Sends one byte of `answer` every `intervalMs`, never closing.
  static TBehaviour Trickle(const QByteArray& answer, int intervalMs);
  // Reads the request and says nothing.
  static TBehaviour Stall();

private:
  void Accept();

  QTcpServer server_;
  TBehaviour behaviour_;
  int connections_ = 0;
  std::vector<QByteArray> requests_;
};

// A loopback port held but not listening, so connections to it are refused
// and no other program can take it meanwhile.
class TRefusingPort {
public:
  TRefusingPort();
  ~TRefusingPort();
  TRefusingPort(const TRefusingPort&) = delete;
  TRefusingPort& operator=(const TRefusingPort&) = delete;
  std::string Address() const;

private:
  int fd_ = -1;
  quint16 port_ = 0;
};
