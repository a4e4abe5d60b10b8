#pragma once

#include <cstddef>
#include <cstdint>
#include <netinet/in.h>
#include <random>
#include <string>
#include <vector>

#include "tools/flood/FloodOptions.h"

// Sends datagrams to one loopback endpoint, each from a source picked at
// random: a polled server's own query endpoint, another port of its host, a
// host whose address ends in the same four characters, or any loopback host.
// A raw socket (root) may claim any source; without one, sockets are bound to
// the loopback sources that are free.
class TSpoofingSender {
public:
  TSpoofingSender(const TEndpoint& target, const std::vector<TEndpoint>& servers,
                  std::mt19937& random);
  ~TSpoofingSender();
  TSpoofingSender(const TSpoofingSender&) = delete;
  TSpoofingSender& operator=(const TSpoofingSender&) = delete;

  bool Raw() const { return rawFd_ >= 0; }
  std::size_t BoundSources() const { return boundFds_.size(); }
  // False when the system refused the datagram (a full buffer, say).
  bool Send(const std::string& datagram);

private:
  sockaddr_in PickSource();
  bool SendRaw(const std::string& datagram, const sockaddr_in& source);
  void BindSources();
  void TryBind(const sockaddr_in& source);

  sockaddr_in target_{};
  std::vector<sockaddr_in> servers_;
  std::mt19937& random_;
  int rawFd_ = -1;
  std::vector<int> boundFds_;
};
