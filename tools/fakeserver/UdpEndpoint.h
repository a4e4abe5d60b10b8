#pragma once

#include <netinet/in.h>
#include <optional>
#include <string>

struct ReceivedDatagram {
  std::string bytes;
  sockaddr_in from{};
  in_addr destination{}; // the address the request was sent to
};

// A non-blocking UDP socket. Every datagram carries the address it was sent
// to, and a reply can leave from a chosen local address: that is how one
// socket on 0.0.0.0 plays several machines of a LAN.
class UdpEndpoint {
public:
  // Throws std::system_error when the socket cannot be made or bound.
  UdpEndpoint(in_addr address, int port);
  ~UdpEndpoint();
  UdpEndpoint(UdpEndpoint&& other) noexcept;
  UdpEndpoint& operator=(UdpEndpoint&&) = delete;
  UdpEndpoint(const UdpEndpoint&) = delete;
  UdpEndpoint& operator=(const UdpEndpoint&) = delete;

  int Fd() const { return fd_; }

  // The next waiting datagram; nothing when none is waiting.
  std::optional<ReceivedDatagram> Receive();

  // Sends to the requester from the given local address. Failures are
  // ignored: a lost reply is what UDP clients expect anyway.
  void Send(const std::string& bytes, const sockaddr_in& to, in_addr source);

private:
  int fd_ = -1;
};
