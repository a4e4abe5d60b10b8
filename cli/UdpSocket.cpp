#include "cli/UdpSocket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <system_error>
#include <unistd.h>

namespace {

bool BindTo(int fd, uint16_t port) {
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_addr.s_addr = htonl(INADDR_ANY);
  local.sin_port = htons(port);
  return bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0;
}

} // namespace

TUdpSocket::TUdpSocket() {
  fd_ = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd_ < 0)
    throw std::system_error(errno, std::generic_category(), "cannot open the UDP socket");
  const int on = 1;
  setsockopt(fd_, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
  if (!BindTo(fd_, kLocalPort))
    BindTo(fd_, 0);
  receiveBuffer_ = EnlargeReceiveBuffer(fd_, kPollReceiveBufferBytes);
}

TUdpSocket::~TUdpSocket() {
  close(fd_);
}

void TUdpSocket::SendTo(const std::string& host, int32_t port, const std::string& bytes) {
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<uint16_t>(port));
  if (inet_pton(AF_INET, host.c_str(), &to.sin_addr) != 1)
    return;
  ssize_t sent;
  do
    sent = sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&to),
                  sizeof to);
  while (sent < 0 && errno == EINTR);
}

std::optional<TUdpSocket::TDatagram> TUdpSocket::Receive() {
  char buffer[kMaxDatagram + 1];
  sockaddr_in from{};
  socklen_t fromLength = sizeof from;
  // MSG_TRUNC reports the datagram's full length, so a longer one is told apart.
  ssize_t received;
  do
    received = recvfrom(fd_, buffer, sizeof buffer, MSG_TRUNC, reinterpret_cast<sockaddr*>(&from),
                        &fromLength);
  while (received < 0 && errno == EINTR);
  if (received < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
    return std::nullopt;

  TDatagram datagram;
  const uint32_t ip = ntohl(from.sin_addr.s_addr);
  datagram.SenderIp = std::to_string(ip >> 24) + "." + std::to_string((ip >> 16) & 0xFF) + "." +
                      std::to_string((ip >> 8) & 0xFF) + "." + std::to_string(ip & 0xFF);
  datagram.SenderPort = ntohs(from.sin_port);
  if (received >= 0 && static_cast<std::size_t>(received) <= kMaxDatagram) {
    datagram.ByteCount = static_cast<int32_t>(received);
    datagram.Bytes.assign(buffer, static_cast<std::size_t>(received));
  }
  return datagram;
}
