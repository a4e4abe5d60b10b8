#include "tests/support/UdpTestClient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace {

sockaddr_in Endpoint(const std::string& address, int port) {
  sockaddr_in endpoint{};
  endpoint.sin_family = AF_INET;
  endpoint.sin_port = htons(static_cast<uint16_t>(port));
  if (inet_pton(AF_INET, address.c_str(), &endpoint.sin_addr) != 1)
    throw std::invalid_argument("bad address " + address);
  return endpoint;
}

int BoundSocket(const std::string& address, int port) {
  const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  const sockaddr_in local = Endpoint(address, port);
  if (fd < 0 || bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
    if (fd >= 0)
      close(fd);
    return -1;
  }
  return fd;
}

} // namespace

UdpTestClient::UdpTestClient() {
  fd_ = BoundSocket("127.0.0.1", 0);
  const int on = 1;
  if (fd_ < 0 || setsockopt(fd_, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0)
    throw std::runtime_error("cannot open the test socket");
}

UdpTestClient::~UdpTestClient() {
  close(fd_);
}

void UdpTestClient::Send(const std::string& address, int port, const std::string& bytes) {
  const sockaddr_in to = Endpoint(address, port);
  if (sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&to),
             sizeof to) != static_cast<ssize_t>(bytes.size()))
    throw std::runtime_error("sendto failed");
}

std::optional<ReceivedReply> UdpTestClient::Receive(int timeoutMs) {
  pollfd watched{fd_, POLLIN, 0};
  if (poll(&watched, 1, timeoutMs) <= 0)
    return std::nullopt;
  std::string buffer(65536, '\0');
  sockaddr_in from{};
  socklen_t fromLength = sizeof from;
  const ssize_t received = recvfrom(fd_, buffer.data(), buffer.size(), 0,
                                    reinterpret_cast<sockaddr*>(&from), &fromLength);
  if (received < 0)
    return std::nullopt;
  buffer.resize(static_cast<std::size_t>(received));
  char address[INET_ADDRSTRLEN] = {};
  inet_ntop(AF_INET, &from.sin_addr, address, sizeof address);
  return ReceivedReply{buffer, address, ntohs(from.sin_port)};
}

std::vector<ReceivedReply> UdpTestClient::ReceiveUpTo(std::size_t count, int quietMs) {
  std::vector<ReceivedReply> replies;
  while (replies.size() < count) {
    std::optional<ReceivedReply> reply = Receive(quietMs);
    if (!reply)
      break;
    replies.push_back(std::move(*reply));
  }
  return replies;
}

int FreeUdpPorts(const std::string& address, int span) {
  for (int attempt = 0; attempt < 50; ++attempt) {
    const int probe = BoundSocket(address, 0);
    sockaddr_in local{};
    socklen_t length = sizeof local;
    getsockname(probe, reinterpret_cast<sockaddr*>(&local), &length);
    const int first = ntohs(local.sin_port);
    close(probe);
    bool allFree = first + span - 1 <= 65535;
    for (int port = first; allFree && port < first + span; ++port) {
      const int fd = BoundSocket(address, port);
      allFree = fd >= 0;
      if (fd >= 0)
        close(fd);
    }
    if (allFree)
      return first;
  }
  throw std::runtime_error("no free UDP ports");
}
