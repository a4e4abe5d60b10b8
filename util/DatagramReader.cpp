#include "util/DatagramReader.h"

#include <array>
#include <cerrno>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <system_error>
#include <unistd.h>
#include <utility>

#include "util/receive_buffer.h"

TDatagramReader::TDatagramReader(std::vector<int> socketFds) : socketFds_(std::move(socketFds)) {
  if (socketFds_.size() > kMaxSockets)
    throw std::system_error(std::make_error_code(std::errc::too_many_files_open),
                            "too many UDP sockets to watch");
  epollFd_ = epoll_create1(EPOLL_CLOEXEC);
  if (epollFd_ < 0)
    throw std::system_error(errno, std::generic_category(), "cannot watch the UDP sockets");
  for (const int fd : socketFds_) {
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.fd = fd;
    if (epoll_ctl(epollFd_, EPOLL_CTL_ADD, fd, &event) != 0) {
      const int error = errno;
      close(epollFd_);
      throw std::system_error(error, std::generic_category(), "cannot watch the UDP sockets");
    }
  }
}

TDatagramReader::~TDatagramReader() {
  close(epollFd_);
}

std::vector<TDatagramReader::TDatagram> TDatagramReader::Take() {
  // Only the sockets that hold something: a reply comes to one of them.
  std::array<epoll_event, kMaxSockets> ready{};
  int count;
  do
    count = epoll_wait(epollFd_, ready.data(), static_cast<int>(ready.size()), 0);
  while (count < 0 && errno == EINTR);
  std::vector<TDatagram> taken;
  for (int i = 0; i < count; ++i)
    ReadBatch(ready[static_cast<std::size_t>(i)].data.fd, taken);
  return taken;
}

std::uint64_t TDatagramReader::Dropped() const {
  std::uint64_t dropped = 0;
  for (const int fd : socketFds_)
    dropped += ReceiveDrops(fd).value_or(0);
  return dropped;
}

// One system call's worth; what is left waits in the socket's buffer, so
// that a flood piles up there, within the buffer's bounds, not here.
void TDatagramReader::ReadBatch(int socketFd, std::vector<TDatagram>& taken) {
  static thread_local std::array<std::array<char, kMaxDatagram + 1>, kBatch> buffers;
  std::array<mmsghdr, kBatch> messages{};
  std::array<iovec, kBatch> pieces{};
  std::array<sockaddr_in, kBatch> senders{};
  for (unsigned i = 0; i < kBatch; ++i) {
    pieces[i] = {buffers[i].data(), buffers[i].size()};
    messages[i].msg_hdr.msg_iov = &pieces[i];
    messages[i].msg_hdr.msg_iovlen = 1;
    messages[i].msg_hdr.msg_name = &senders[i];
    messages[i].msg_hdr.msg_namelen = sizeof senders[i];
  }
  int received;
  do
    received = recvmmsg(socketFd, messages.data(), kBatch, MSG_DONTWAIT, nullptr);
  while (received < 0 && errno == EINTR);
  if (received < 0) {
    if (errno != EAGAIN && errno != EWOULDBLOCK)
      taken.push_back({}); // a failed receive, reported as such
    return;
  }
  const auto count = static_cast<std::size_t>(received);
  for (std::size_t i = 0; i < count; ++i) {
    const msghdr& header = messages[i].msg_hdr;
    TDatagram& datagram = taken.emplace_back();
    datagram.SenderIp = ntohl(senders[i].sin_addr.s_addr);
    datagram.SenderPort = ntohs(senders[i].sin_port);
    if (!(header.msg_flags & MSG_TRUNC) && messages[i].msg_len <= kMaxDatagram) {
      datagram.ByteCount = static_cast<int32_t>(messages[i].msg_len);
      datagram.Bytes.assign(buffers[i].data(), messages[i].msg_len);
    }
  }
}

std::string DottedIp(std::uint32_t ip) {
  return std::to_string(ip >> 24) + "." + std::to_string((ip >> 16) & 0xFF) + "." +
         std::to_string((ip >> 8) & 0xFF) + "." + std::to_string(ip & 0xFF);
}
