#include "tools/fakeserver/UdpEndpoint.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <system_error>
#include <unistd.h>

namespace {

constexpr std::size_t kMaxDatagram = 65536;
// A client polling a LAN of thousands of hosts sends each of them a request
// within a millisecond or two; the default buffer holds a few hundred.
constexpr int kReceiveBufferBytes = 4 * 1024 * 1024;

void EnableOption(int fd, int level, int option, const char* what) {
  const int on = 1;
  if (setsockopt(fd, level, option, &on, sizeof on) != 0)
    throw std::system_error(errno, std::generic_category(), what);
}

// Best effort: the system caps SO_RCVBUF at net.core.rmem_max, and only a
// privileged process may go past that.
void EnlargeReceiveBuffer(int fd) {
  const int bytes = kReceiveBufferBytes;
  if (setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &bytes, sizeof bytes) != 0)
    setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);
}

} // namespace

UdpEndpoint::UdpEndpoint(in_addr address, int port) {
  fd_ = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd_ < 0)
    throw std::system_error(errno, std::generic_category(), "socket");
  try {
    // The wildcard socket of a LAN shares its port like a real machine's
    // would; a socket on one address must own its port, so that two
    // emulators started on the same port fail loudly.
    if (address.s_addr == htonl(INADDR_ANY))
      EnableOption(fd_, SOL_SOCKET, SO_REUSEADDR, "SO_REUSEADDR");
    EnableOption(fd_, SOL_SOCKET, SO_BROADCAST, "SO_BROADCAST");
    EnableOption(fd_, IPPROTO_IP, IP_PKTINFO, "IP_PKTINFO");
    EnlargeReceiveBuffer(fd_);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr = address;
    local.sin_port = htons(static_cast<uint16_t>(port));
    if (bind(fd_, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0)
      throw std::system_error(errno, std::generic_category(),
                              "bind to port " + std::to_string(port));
  } catch (...) {
    close(fd_);
    throw;
  }
}

UdpEndpoint::~UdpEndpoint() {
  if (fd_ >= 0)
    close(fd_);
}

UdpEndpoint::UdpEndpoint(UdpEndpoint&& other) noexcept : fd_(other.fd_) {
  other.fd_ = -1;
}

std::optional<ReceivedDatagram> UdpEndpoint::Receive() {
  ReceivedDatagram datagram;
  datagram.bytes.resize(kMaxDatagram);
  iovec data{datagram.bytes.data(), datagram.bytes.size()};
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))];
  msghdr message{};
  message.msg_name = &datagram.from;
  message.msg_namelen = sizeof datagram.from;
  message.msg_iov = &data;
  message.msg_iovlen = 1;
  message.msg_control = control;
  message.msg_controllen = sizeof control;
  const ssize_t received = recvmsg(fd_, &message, 0);
  if (received < 0)
    return std::nullopt;
  datagram.bytes.resize(static_cast<std::size_t>(received));
  for (cmsghdr* header = CMSG_FIRSTHDR(&message); header; header = CMSG_NXTHDR(&message, header))
    if (header->cmsg_level == IPPROTO_IP && header->cmsg_type == IP_PKTINFO) {
      in_pktinfo info{};
      std::memcpy(&info, CMSG_DATA(header), sizeof info);
      datagram.destination = info.ipi_addr;
    }
  return datagram;
}

void UdpEndpoint::Send(const std::string& bytes, const sockaddr_in& to, in_addr source) {
  iovec data{const_cast<char*>(bytes.data()), bytes.size()};
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))]{};
  msghdr message{};
  message.msg_name = const_cast<sockaddr_in*>(&to);
  message.msg_namelen = sizeof to;
  message.msg_iov = &data;
  message.msg_iovlen = 1;
  message.msg_control = control;
  message.msg_controllen = sizeof control;
  cmsghdr* header = CMSG_FIRSTHDR(&message);
  header->cmsg_level = IPPROTO_IP;
  header->cmsg_type = IP_PKTINFO;
  header->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
  in_pktinfo info{};
  info.ipi_spec_dst = source;
  std::memcpy(CMSG_DATA(header), &info, sizeof info);
  sendmsg(fd_, &message, MSG_DONTWAIT);
}
