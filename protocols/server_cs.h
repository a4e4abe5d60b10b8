#pragma once

#include "protocols/HalfLife.h"

// Counter-Strike over the older text commands: "details" to the address, then
// "players" to every server that answered it.
inline constexpr TGameInfo kGameInfoCS = {
    27015, 0, "cs", "Counter-Strike", "CS", "&CS", "steam", "-applaunch 10 +connect %1", "cs"};

class TQueryCS : public TTableQuery {
public:
  TQueryCS();
};

class TServerCS : public THalfLifeServer {
public:
  using THalfLifeServer::THalfLifeServer;
  int32_t Parse(int32_t step, const std::string& bytes, int32_t queryContext, intptr_t& challenge,
                bool& listed) override;
};
