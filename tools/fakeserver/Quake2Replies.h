#pragma once

#include "tools/fakeserver/ReplyBuilder.h"

// Quake 2: connectionless text commands. "info <protocol>" gets the one-line
// "info" answer (or "wrong version" for a protocol other than 34), "status"
// the server variables and one line per player, "ping" an "ack".
class Quake2Replies : public ReplyBuilder {
public:
  std::vector<std::string> Answer(const std::string& request, const ServerState& state) override;
};
