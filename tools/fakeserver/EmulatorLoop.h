#pragma once

#include "tools/fakeserver/EmulatorOptions.h"
#include "tools/fakeserver/ReplyBuilder.h"
#include "tools/fakeserver/ServerState.h"
#include "tools/fakeserver/UdpEndpoint.h"

#include <chrono>
#include <memory>
#include <random>
#include <string>
#include <vector>

// The emulated servers and their sockets, served by one poll loop on one
// thread. Either each server has a socket of its own (--count), or all share
// one wildcard socket and answer as the machines of a LAN (--hosts): a
// request to 127.0.0.K reaches host K, one to 127.255.255.255 every host, and
// each host replies from its own address.
class EmulatorLoop {
public:
  // Binds every socket; throws std::system_error when one cannot be bound.
  explicit EmulatorLoop(const EmulatorOptions& options);

  // "ready <game> <address>:<queryport> <name>", one per server.
  std::vector<std::string> ReadyLines() const;

  // Serves requests until stopFd becomes readable.
  void Run(int stopFd);

private:
  struct VirtualServer {
    ServerState state;
    std::unique_ptr<ReplyBuilder> replies;
    in_addr address;
    std::size_t endpoint;
  };

  void Serve(std::size_t endpoint);
  bool Addressed(const VirtualServer& server, in_addr destination) const;
  void AdvanceClock();
  int PollTimeoutMs() const;

  std::string gameKey_;
  bool lan_;
  int dropPercent_;
  bool outOfOrder_;
  std::mt19937 random_;
  std::vector<UdpEndpoint> endpoints_;
  std::vector<VirtualServer> servers_;
  std::chrono::steady_clock::time_point lastTick_;
};
