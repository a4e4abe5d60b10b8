#include "util/ReceiveThread.h"

#include <array>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <system_error>
#include <unistd.h>
#include <utility>

#include "util/receive_buffer.h"

namespace {

// Datagrams taken from the socket with one system call.
constexpr unsigned kBatch = 64;

int NewEventFd() {
  const int fd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (fd < 0)
    throw std::system_error(errno, std::generic_category(), "cannot make an event descriptor");
  return fd;
}

void Signal(int fd) {
  const std::uint64_t one = 1;
  while (write(fd, &one, sizeof one) < 0 && errno == EINTR) {
  }
}

void Clear(int fd) {
  std::uint64_t count = 0;
  while (read(fd, &count, sizeof count) < 0 && errno == EINTR) {
  }
}

} // namespace

TReceiveThread::TReceiveThread(std::vector<int> socketFds) : socketFds_(std::move(socketFds)) {
  wakeFd_ = NewEventFd();
  try {
    stopFd_ = NewEventFd();
    thread_ = std::thread([this] { Run(); });
  } catch (...) {
    if (stopFd_ >= 0)
      close(stopFd_);
    close(wakeFd_);
    throw;
  }
}

TReceiveThread::~TReceiveThread() {
  Signal(stopFd_);
  thread_.join();
  close(stopFd_);
  close(wakeFd_);
}

std::vector<TReceiveThread::TDatagram> TReceiveThread::Take() {
  // Cleared before the queue is emptied: a datagram queued after this signals
  // again, so none waits unannounced.
  Clear(wakeFd_);
  std::vector<TDatagram> taken;
  const std::lock_guard lock(mutex_);
  taken.swap(queue_);
  return taken;
}

std::uint64_t TReceiveThread::Dropped() {
  std::uint64_t dropped = 0;
  for (const int fd : socketFds_)
    dropped += ReceiveDrops(fd).value_or(0);
  const std::lock_guard lock(mutex_);
  return dropped + dropped_;
}

void TReceiveThread::Run() {
  std::vector<pollfd> watched{{stopFd_, POLLIN, 0}};
  for (const int fd : socketFds_)
    watched.push_back({fd, POLLIN, 0});
  for (;;) {
    if (poll(watched.data(), watched.size(), -1) < 0) {
      if (errno == EINTR)
        continue;
      return;
    }
    if (watched.front().revents != 0)
      return;
    bool read = false;
    for (std::size_t i = 1; i < watched.size(); ++i) {
      if (watched[i].revents & POLLNVAL)
        return;
      if (watched[i].revents != 0) {
        ReadBurst(watched[i].fd);
        read = true;
      }
    }
    if (read)
      Signal(wakeFd_);
  }
}

// Everything the socket holds, a batch per system call, until it is empty.
// The engine's thread is woken only then: while a burst goes on, it would take
// the processor this thread needs to keep up with it.
void TReceiveThread::ReadBurst(int socketFd) {
  static thread_local std::array<std::array<char, kMaxDatagram + 1>, kBatch> buffers;
  std::array<mmsghdr, kBatch> messages{};
  std::array<iovec, kBatch> pieces{};
  std::array<sockaddr_in, kBatch> senders{};
  std::vector<TDatagram> batch;
  for (;;) {
    for (unsigned i = 0; i < kBatch; ++i) {
      pieces[i] = {buffers[i].data(), buffers[i].size()};
      messages[i] = {};
      messages[i].msg_hdr.msg_iov = &pieces[i];
      messages[i].msg_hdr.msg_iovlen = 1;
      messages[i].msg_hdr.msg_name = &senders[i];
      messages[i].msg_hdr.msg_namelen = sizeof senders[i];
    }
    const int received = recvmmsg(socketFd, messages.data(), kBatch, MSG_DONTWAIT, nullptr);
    if (received < 0) {
      if (errno == EINTR)
        continue;
      if (errno != EAGAIN && errno != EWOULDBLOCK)
        batch.push_back({}); // a failed receive, reported as such
      break;
    }
    const auto count = static_cast<std::size_t>(received);
    for (std::size_t i = 0; i < count; ++i) {
      const msghdr& header = messages[i].msg_hdr;
      TDatagram datagram;
      datagram.SenderIp = ntohl(senders[i].sin_addr.s_addr);
      datagram.SenderPort = ntohs(senders[i].sin_port);
      if (!(header.msg_flags & MSG_TRUNC) && messages[i].msg_len <= kMaxDatagram) {
        datagram.ByteCount = static_cast<int32_t>(messages[i].msg_len);
        datagram.Bytes.assign(buffers[i].data(), messages[i].msg_len);
      }
      batch.push_back(std::move(datagram));
    }
    Push(batch);
    if (count < kBatch)
      break;
  }
  Push(batch);
}

void TReceiveThread::Push(std::vector<TDatagram>& batch) {
  const std::lock_guard lock(mutex_);
  for (TDatagram& datagram : batch) {
    if (queue_.size() >= kMaxQueuedDatagrams) {
      ++dropped_;
      continue;
    }
    queue_.push_back(std::move(datagram));
  }
  batch.clear();
}

std::string DottedIp(std::uint32_t ip) {
  return std::to_string(ip >> 24) + "." + std::to_string((ip >> 16) & 0xFF) + "." +
         std::to_string((ip >> 8) & 0xFF) + "." + std::to_string(ip & 0xFF);
}
