#pragma once

#include <cstdint>
#include <vector>

// The poll sockets: UDP sockets on one local port of every interface, allowed
// to broadcast, non-blocking; the caller enlarges their receive buffers. The
// system shares the replies out among them by
// sender (SO_REUSEPORT), so the group holds kPollSocketCount buffers' worth of
// a LAN's burst: where net.core.rmem_max caps one buffer at about 330
// replies, the group holds well over 1,000. The first socket sends.
constexpr int kPollSocketCount = 8;

// Opens the group on `port`. When the port is taken, by any program and by
// another group alike, the group takes a port the system picks: a group never
// joins another, which would take some of its replies.
std::vector<int> OpenPollSockets(std::uint16_t port);
