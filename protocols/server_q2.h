#pragma once

#include "games/ComBase.h"
#include "protocols/TableQuery.h"

// Quake 2: the short "info 34" request, one reply line with host name, map and
// the counts word "players/maximum", delivered as the two numbers; the names
// are missing, so the parser invents one placeholder player per connected
// player.
inline constexpr TGameInfo kGameInfoQ2 = {27910, 0,        "q2",          "Quake 2", "Q2",
                                          "Q&2", "quake2", "+connect %1", "q2"};

class TQueryQ2 : public TTableQuery {
public:
  TQueryQ2();
};

class TServerQ2 : public TGameServerBase {
public:
  using TGameServerBase::TGameServerBase;
  int32_t Parse(int32_t step, const std::string& bytes, int32_t queryContext, intptr_t& challenge,
                bool& listed) override;
};
