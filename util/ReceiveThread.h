#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Reads UDP sockets on a thread of its own into a queue. The replies of
// every server behind a broadcast address arrive within a millisecond or two;
// the thread that polls is often busy then, and a receive buffer capped at
// net.core.rmem_max holds only about 330 of them. This thread only copies
// datagrams out of the socket; the poll engine stays on its own thread and
// takes them from the queue when WakeFd() becomes readable.
class TReceiveThread {
public:
  struct TDatagram {
    int32_t ByteCount = -1;     // -1: the receive failed or the datagram was too long
    std::uint32_t SenderIp = 0; // host byte order
    int32_t SenderPort = 0;
    std::string Bytes;
  };

  static constexpr std::size_t kMaxDatagram = 2048;
  // What the queue holds at most while the engine is busy; beyond that a
  // datagram is dropped and counted, as the socket would drop it.
  static constexpr std::size_t kMaxQueuedDatagrams = 16384;

  // Starts reading `socketFds`, which stay the caller's, open until this
  // object is gone. Raises std::system_error when the thread cannot start.
  explicit TReceiveThread(std::vector<int> socketFds);
  ~TReceiveThread();
  TReceiveThread(const TReceiveThread&) = delete;
  TReceiveThread& operator=(const TReceiveThread&) = delete;

  // Readable while datagrams wait in the queue.
  int WakeFd() const { return wakeFd_; }
  // Every waiting datagram, in the order they came.
  std::vector<TDatagram> Take();
  // The datagrams dropped so far, by the system for a full receive buffer
  // and here for a full queue.
  std::uint64_t Dropped();

private:
  void Run();
  void ReadBurst(int socketFd);
  void Push(std::vector<TDatagram>& batch);

  std::vector<int> socketFds_;
  int wakeFd_ = -1;
  int stopFd_ = -1;
  std::mutex mutex_;
  std::vector<TDatagram> queue_;
  std::uint64_t dropped_ = 0;
  std::thread thread_;
};

// Dotted decimal text of an IPv4 address in host byte order.
std::string DottedIp(std::uint32_t ip);
