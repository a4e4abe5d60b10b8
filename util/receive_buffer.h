#pragma once

#include <cstdint>
#include <optional>
#include <string>

// A poll socket's receive buffer. The replies of every server behind a
// broadcast address arrive within a millisecond or two, faster than the
// program reads them while it updates its lists; the system's default buffer
// holds about 166 of them, so a LAN of 1,000 servers needs a few MiB.
constexpr int kPollReceiveBufferBytes = 4 * 1024 * 1024;

// What the system granted. Sizes count as a request names them: Linux keeps
// twice the size asked for, the other half for its own bookkeeping, and
// reports that doubled size; Granted is half of it.
struct TReceiveBuffer {
  int Requested = 0;
  int Granted = 0;     // 0 when the size could not be read
  bool Forced = false; // granted past net.core.rmem_max (CAP_NET_ADMIN)
};

// Asks for `bytes`. The system caps an ordinary request at net.core.rmem_max;
// then a privileged process gets the size anyway. A refusal leaves the socket
// as it was: a smaller buffer loses replies under load, nothing worse.
TReceiveBuffer EnlargeReceiveBuffer(int fd, int bytes);

// The trace line saying what was asked for and granted.
std::string ReceiveBufferTraceLine(const TReceiveBuffer& buffer);

// How many datagrams the system has dropped on the socket, nearly all for a
// full receive buffer: the counter SO_RXQ_OVFL hands out with each datagram,
// read here at any time, also on a socket that Qt reads. Nothing when the
// system does not tell.
std::optional<std::uint32_t> ReceiveDrops(int fd);
