#include "cli/UdpSocket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "util/poll_sockets.h"

TUdpSocket::TUdpSocket() : fds_(OpenPollSockets(kLocalPort)) {
  for (const int fd : fds_)
    receiveBuffer_ = EnlargeReceiveBuffer(fd, kPollReceiveBufferBytes);
}

TUdpSocket::~TUdpSocket() {
  for (const int fd : fds_)
    close(fd);
}

void TUdpSocket::SendTo(const std::string& host, int32_t port, const std::string& bytes) {
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<uint16_t>(port));
  if (inet_pton(AF_INET, host.c_str(), &to.sin_addr) != 1)
    return;
  ssize_t sent;
  do
    sent = sendto(fds_.front(), bytes.data(), bytes.size(), 0,
                  reinterpret_cast<const sockaddr*>(&to), sizeof to);
  while (sent < 0 && errno == EINTR);
}
