#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "util/receive_buffer.h"

// The poll sockets (OpenPollSockets) on local port 1024, each with a receive
// buffer for the replies of a large LAN; a TDatagramReader reads them. When
// port 1024 is taken they take a port the system picks, unreported, as the
// window's sockets do.
class TUdpSocket {
public:
  static constexpr uint16_t kLocalPort = 1024;

  TUdpSocket(); // raises std::system_error when no socket can be had
  ~TUdpSocket();
  TUdpSocket(const TUdpSocket&) = delete;
  TUdpSocket& operator=(const TUdpSocket&) = delete;

  const std::vector<int>& Fds() const { return fds_; }
  // What each socket got.
  const TReceiveBuffer& ReceiveBuffer() const { return receiveBuffer_; }
  // From the first socket. Host is dotted IPv4 text; a send that fails is dropped, as a lost
  // datagram would be.
  void SendTo(const std::string& host, int32_t port, const std::string& bytes);

private:
  std::vector<int> fds_;
  TReceiveBuffer receiveBuffer_;
};
