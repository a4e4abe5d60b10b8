#pragma once

#include <optional>
#include <string>
#include <vector>

struct ReceivedReply {
  std::string bytes;
  std::string fromAddress;
  int fromPort = 0;
};

// A UDP socket on 127.0.0.1 that may broadcast; every wait is a bounded poll.
class UdpTestClient {
public:
  UdpTestClient();
  ~UdpTestClient();
  UdpTestClient(const UdpTestClient&) = delete;
  UdpTestClient& operator=(const UdpTestClient&) = delete;

  void Send(const std::string& address, int port, const std::string& bytes);

  // The next datagram, or nothing when none arrives within the timeout.
  std::optional<ReceivedReply> Receive(int timeoutMs);

  // Datagrams until `count` arrived or none came for `quietMs`.
  std::vector<ReceivedReply> ReceiveUpTo(std::size_t count, int quietMs = 2000);

private:
  int fd_ = -1;
};

// A port p on `address` such that p .. p+span-1 are all free for UDP right now.
int FreeUdpPorts(const std::string& address, int span);
