#include "tools/fakeserver/EmulatorLoop.h"

#include "tools/fakeserver/GameProfile.h"
#include "tools/fakeserver/ReplyBuilderFactory.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cmath>
#include <iostream>
#include <poll.h>

namespace {

constexpr uint32_t kLoopbackBroadcast = 0x7FFFFFFF; // 127.255.255.255

in_addr ParseAddress(const std::string& text) {
  in_addr address{};
  inet_pton(AF_INET, text.c_str(), &address);
  return address;
}

std::string AddressText(in_addr address) {
  char text[INET_ADDRSTRLEN] = {};
  inet_ntop(AF_INET, &address, text, sizeof text);
  return text;
}

// Host 0 is 127.0.0.2, as on a LAN whose router holds .1; the hosts go on
// through 127.0.0.254, 127.0.1.1 .. 127.0.1.254 and so on, never on an address
// ending in .0 or .255, which a client may take for a network or broadcast.
in_addr LanHostAddress(int hostIndex) {
  constexpr uint32_t kHostsPerBlock = 254;
  const auto number = static_cast<uint32_t>(hostIndex) + 1;
  in_addr address{};
  address.s_addr =
      htonl((127u << 24) | (number / kHostsPerBlock) << 8 | (number % kHostsPerBlock + 1));
  return address;
}

} // namespace

EmulatorLoop::EmulatorLoop(const EmulatorOptions& options)
    : gameKey_(options.gameKey), lan_(options.hosts > 0), dropPercent_(options.dropPercent),
      outOfOrder_(options.outOfOrder), random_(options.seed),
      lastTick_(std::chrono::steady_clock::now()) {
  const GameProfile* profile = FindGameProfile(options.gameKey);
  const int serverCount = lan_ ? options.hosts : options.count;
  if (lan_)
    endpoints_.emplace_back(ParseAddress("0.0.0.0"), options.queryPort);
  for (int i = 0; i < serverCount; ++i) {
    const in_addr address = lan_ ? LanHostAddress(i) : ParseAddress(options.bindAddress);
    const int portStep = lan_ ? 0 : i;
    if (!lan_)
      endpoints_.emplace_back(address, options.queryPort + portStep);
    ServerSetup setup;
    setup.name = serverCount > 1 ? options.name + " #" + std::to_string(i + 1) : options.name;
    setup.map = options.map;
    setup.address = AddressText(address);
    setup.gamePort = options.gamePort + portStep;
    setup.queryPort = options.queryPort + portStep;
    setup.maxPlayers = options.maxPlayers;
    setup.initialPlayers = options.players;
    setup.churnSeconds = options.churnSeconds;
    setup.colourCodedNames = profile && profile->colourCodedNames;
    setup.clanTaggedNames = profile && profile->clanTaggedNames;
    setup.seed = options.seed + static_cast<uint32_t>(i);
    servers_.push_back(VirtualServer{ServerState(setup),
                                     MakeReplyBuilder(gameKey_, setup.seed, options.a2s), address,
                                     endpoints_.size() - 1});
  }
}

std::vector<std::string> EmulatorLoop::ReadyLines() const {
  std::vector<std::string> lines;
  for (const VirtualServer& server : servers_)
    lines.push_back("ready " + gameKey_ + " " + server.state.Address() + ":" +
                    std::to_string(server.state.QueryPort()) + " " + server.state.Name());
  return lines;
}

void EmulatorLoop::Run(int stopFd) {
  std::vector<pollfd> watched;
  for (const UdpEndpoint& endpoint : endpoints_)
    watched.push_back(pollfd{endpoint.Fd(), POLLIN, 0});
  watched.push_back(pollfd{stopFd, POLLIN, 0});
  for (;;) {
    poll(watched.data(), watched.size(), PollTimeoutMs());
    AdvanceClock();
    if (watched.back().revents != 0)
      return;
    for (std::size_t i = 0; i < endpoints_.size(); ++i)
      if (watched[i].revents != 0)
        Serve(i);
  }
}

void EmulatorLoop::Serve(std::size_t endpoint) {
  while (std::optional<ReceivedDatagram> request = endpoints_[endpoint].Receive()) {
    const std::string client =
        AddressText(request->from.sin_addr) + ":" + std::to_string(ntohs(request->from.sin_port));
    for (VirtualServer& server : servers_) {
      if (server.endpoint != endpoint || !Addressed(server, request->destination))
        continue;
      if (dropPercent_ > 0 && std::uniform_int_distribution<int>(0, 99)(random_) < dropPercent_)
        continue;
      std::vector<std::string> replies =
          server.replies->AnswerFrom(request->bytes, client, server.state);
      if (outOfOrder_)
        std::shuffle(replies.begin(), replies.end(), random_);
      for (const std::string& reply : replies)
        endpoints_[endpoint].Send(reply, request->from, server.address);
    }
  }
}

bool EmulatorLoop::Addressed(const VirtualServer& server, in_addr destination) const {
  if (!lan_)
    return true;
  return destination.s_addr == server.address.s_addr ||
         destination.s_addr == htonl(kLoopbackBroadcast);
}

void EmulatorLoop::AdvanceClock() {
  const auto now = std::chrono::steady_clock::now();
  const double seconds = std::chrono::duration<double>(now - lastTick_).count();
  lastTick_ = now;
  for (VirtualServer& server : servers_)
    for (const std::string& event : server.state.Advance(seconds))
      std::cerr << server.state.Address() << ":" << server.state.QueryPort() << " " << event
                << std::endl;
}

int EmulatorLoop::PollTimeoutMs() const {
  double nearest = -1;
  for (const VirtualServer& server : servers_) {
    const double seconds = server.state.SecondsToNextChurn();
    if (seconds >= 0 && (nearest < 0 || seconds < nearest))
      nearest = seconds;
  }
  return nearest < 0 ? -1 : static_cast<int>(std::ceil(nearest * 1000));
}
