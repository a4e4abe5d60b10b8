#pragma once

#include "tools/fakeserver/ReplyBuilder.h"

// Quake 3: "getstatus [challenge]" is answered by "statusResponse" with the
// server variables and one line per player, "getinfo [challenge]" by
// "infoResponse" with a short variable list. A given challenge is echoed.
class Quake3Replies : public ReplyBuilder {
public:
  std::vector<std::string> Answer(const std::string& request, const ServerState& state) override;
};
