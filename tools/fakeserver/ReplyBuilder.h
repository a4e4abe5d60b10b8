#pragma once

#include "tools/fakeserver/ServerState.h"

#include <string>
#include <vector>

// Turns one request datagram into the datagrams a real server of the game
// sends back, in sending order. Requests the game does not know, and
// malformed ones, get no answer. Never throws on any input.
class ReplyBuilder {
public:
  virtual ~ReplyBuilder() = default;
  virtual std::vector<std::string> Answer(const std::string& request, const ServerState& state) = 0;
};
