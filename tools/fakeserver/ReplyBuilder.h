#pragma once

#include "tools/fakeserver/ServerState.h"

#include <string>
#include <string_view>
#include <vector>

// Turns one request datagram into the datagrams a real server of the game
// sends back, in sending order. Requests the game does not know, and
// malformed ones, get no answer. Never throws on any input.
class ReplyBuilder {
public:
  virtual ~ReplyBuilder() = default;
  virtual std::vector<std::string> Answer(const std::string& request, const ServerState& state) = 0;
  // The same for a request from a known client ("address:port"); games that
  // tell their clients apart by a challenge of their own take it into account.
  virtual std::vector<std::string> AnswerFrom(const std::string& request, std::string_view client,
                                              const ServerState& state) {
    (void)client;
    return Answer(request, state);
  }
};
