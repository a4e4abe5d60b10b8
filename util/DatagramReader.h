#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Reads the poll sockets on the engine's thread, a batch of datagrams from
// each per system call (recvmmsg).
class TDatagramReader {
public:
  struct TDatagram {
    int32_t ByteCount = -1;     // -1: the receive failed or the datagram was too long
    std::uint32_t SenderIp = 0; // host byte order
    int32_t SenderPort = 0;
    std::string Bytes;
  };

  static constexpr std::size_t kMaxDatagram = 2048;

  // Reads `socketFds` (at most kMaxSockets), which stay the caller's, open
  // while this object is.
  // Raises std::system_error when it cannot watch them.
  explicit TDatagramReader(std::vector<int> socketFds);
  ~TDatagramReader();
  TDatagramReader(const TDatagramReader&) = delete;
  TDatagramReader& operator=(const TDatagramReader&) = delete;

  // Readable while any of the sockets holds a datagram.
  int WakeFd() const { return epollFd_; }
  // Up to kBatch datagrams waiting in each socket, each socket's in the order
  // they came; WakeFd() stays readable while more wait.
  std::vector<TDatagram> Take();
  static constexpr unsigned kBatch = 64;
  static constexpr std::size_t kMaxSockets = 32;
  // The datagrams the system dropped so far for a full receive buffer.
  std::uint64_t Dropped() const;

private:
  void ReadBatch(int socketFd, std::vector<TDatagram>& taken);

  std::vector<int> socketFds_;
  int epollFd_ = -1;
};

// Dotted decimal text of an IPv4 address in host byte order.
std::string DottedIp(std::uint32_t ip);
