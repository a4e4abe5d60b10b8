#pragma once

#include "tools/fakeserver/ReplyBuilder.h"

// Unreal Tournament 2004: binary requests 78 00 00 00 <type> (or 79 ...), answered by
// 80 00 00 00 <type> and the data: type 0 server information, 1 rules,
// 2 players; type 3 asks for rules and players and gets both datagrams.
class Ut2004Replies : public ReplyBuilder {
public:
  std::vector<std::string> Answer(const std::string& request, const ServerState& state) override;
};
