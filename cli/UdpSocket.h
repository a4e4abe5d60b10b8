#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "util/receive_buffer.h"

// The poll socket: UDP on local port 1024 of every interface, allowed to
// broadcast, non-blocking, with a receive buffer for the replies of a large
// LAN. When port 1024 is taken the socket takes a port the system picks,
// unreported, as the window's socket does.
class TUdpSocket {
public:
  struct TDatagram {
    int32_t ByteCount = -1; // -1: the receive failed or the datagram was too long
    std::string SenderIp;   // dotted decimal
    int32_t SenderPort = 0;
    std::string Bytes;
  };

  static constexpr uint16_t kLocalPort = 1024;
  static constexpr std::size_t kMaxDatagram = 2048;

  TUdpSocket(); // raises std::system_error when no socket can be had
  ~TUdpSocket();
  TUdpSocket(const TUdpSocket&) = delete;
  TUdpSocket& operator=(const TUdpSocket&) = delete;

  int Fd() const { return fd_; }
  const TReceiveBuffer& ReceiveBuffer() const { return receiveBuffer_; }
  // Host is dotted IPv4 text; a send that fails is dropped, as a lost
  // datagram would be.
  void SendTo(const std::string& host, int32_t port, const std::string& bytes);
  // The next waiting datagram; nothing when none is waiting.
  std::optional<TDatagram> Receive();

private:
  int fd_ = -1;
  TReceiveBuffer receiveBuffer_;
};
