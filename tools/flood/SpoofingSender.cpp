#include "tools/flood/SpoofingSender.h"

#include <arpa/inet.h>
#include <cstring>
#include <netinet/ip.h>
#include <netinet/udp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Sources in loopback sends from sockets bound to them: each server's host
// twice, hosts ending like it twice, and a few other loopback hosts.
constexpr int kBoundPerServerHost = 2;
constexpr int kBoundAlike = 2;
constexpr int kBoundOthers = 4;

sockaddr_in Address(const TEndpoint& endpoint) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  inet_pton(AF_INET, endpoint.host.c_str(), &address.sin_addr);
  address.sin_port = htons(static_cast<uint16_t>(endpoint.port));
  return address;
}

uint32_t HostOrder(const sockaddr_in& address) {
  return ntohl(address.sin_addr.s_addr);
}

sockaddr_in Source(uint32_t host, uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(host);
  address.sin_port = htons(port);
  return address;
}

} // namespace

TSpoofingSender::TSpoofingSender(const TEndpoint& target, const std::vector<TEndpoint>& servers,
                                 std::mt19937& random)
    : target_(Address(target)), random_(random) {
  for (const TEndpoint& server : servers)
    servers_.push_back(Address(server));
  rawFd_ = socket(AF_INET, SOCK_RAW, IPPROTO_RAW);
  if (rawFd_ < 0)
    BindSources();
}

TSpoofingSender::~TSpoofingSender() {
  if (rawFd_ >= 0)
    close(rawFd_);
  for (const int fd : boundFds_)
    close(fd);
}

// The server's endpoint itself, another port of its host, a host 127.x.c.d
// ending like it (which passes the client's routing test), or any loopback host.
sockaddr_in TSpoofingSender::PickSource() {
  std::uniform_int_distribution<uint32_t> anyPort(1025, 65535);
  std::uniform_int_distribution<uint32_t> octet(1, 254);
  const int kind = servers_.empty() ? 3 : std::uniform_int_distribution<int>(0, 9)(random_) / 3;
  const sockaddr_in& server =
      servers_.empty()
          ? target_
          : servers_[std::uniform_int_distribution<std::size_t>(0, servers_.size() - 1)(random_)];
  const auto port = static_cast<uint16_t>(anyPort(random_));
  switch (kind) {
  case 0:
    return server;
  case 1:
    return Source(HostOrder(server), port);
  case 2:
    return Source((HostOrder(server) & 0xFF00FFFFu) | octet(random_) << 16, port);
  default:
    return Source(127u << 24 | octet(random_) << 16 | octet(random_) << 8 | octet(random_), port);
  }
}

bool TSpoofingSender::Send(const std::string& datagram) {
  if (Raw())
    return SendRaw(datagram, PickSource());
  if (boundFds_.empty())
    return false;
  const int fd =
      boundFds_[std::uniform_int_distribution<std::size_t>(0, boundFds_.size() - 1)(random_)];
  return sendto(fd, datagram.data(), datagram.size(), 0,
                reinterpret_cast<const sockaddr*>(&target_), sizeof target_) >= 0;
}

// The IP and UDP headers written by hand; the system fills in the IP
// checksum and length, and a UDP checksum of 0 means none.
bool TSpoofingSender::SendRaw(const std::string& datagram, const sockaddr_in& source) {
  std::string packet(sizeof(iphdr) + sizeof(udphdr) + datagram.size(), '\0');
  iphdr ip{};
  ip.version = 4;
  ip.ihl = sizeof(iphdr) / 4;
  ip.ttl = 64;
  ip.protocol = IPPROTO_UDP;
  ip.tot_len = htons(static_cast<uint16_t>(packet.size()));
  ip.saddr = source.sin_addr.s_addr;
  ip.daddr = target_.sin_addr.s_addr;
  udphdr udp{};
  udp.source = source.sin_port;
  udp.dest = target_.sin_port;
  udp.len = htons(static_cast<uint16_t>(sizeof(udphdr) + datagram.size()));
  std::memcpy(packet.data(), &ip, sizeof ip);
  std::memcpy(packet.data() + sizeof ip, &udp, sizeof udp);
  std::memcpy(packet.data() + sizeof ip + sizeof udp, datagram.data(), datagram.size());
  return sendto(rawFd_, packet.data(), packet.size(), 0,
                reinterpret_cast<const sockaddr*>(&target_), sizeof target_) >= 0;
}

void TSpoofingSender::BindSources() {
  std::uniform_int_distribution<uint32_t> octet(1, 254);
  for (const sockaddr_in& server : servers_) {
    TryBind(server); // free only when that server is not running
    for (int i = 0; i < kBoundPerServerHost; ++i)
      TryBind(Source(HostOrder(server), 0));
    for (int i = 0; i < kBoundAlike; ++i)
      TryBind(Source((HostOrder(server) & 0xFF00FFFFu) | octet(random_) << 16, 0));
  }
  for (int i = 0; i < kBoundOthers; ++i)
    TryBind(Source(127u << 24 | octet(random_) << 16 | octet(random_) << 8 | octet(random_), 0));
}

void TSpoofingSender::TryBind(const sockaddr_in& source) {
  const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK, 0);
  if (fd < 0)
    return;
  if (bind(fd, reinterpret_cast<const sockaddr*>(&source), sizeof source) == 0)
    boundFds_.push_back(fd);
  else
    close(fd);
}
