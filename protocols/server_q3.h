#pragma once

#include "games/ComBase.h"
#include "protocols/TableQuery.h"

// Quake 3: one "getstatus" request; the reply holds the server variables as
// backslash-separated pairs and then one line per player (score, ping and the
// quoted name).
inline constexpr TGameInfo kGameInfoQ3 = {27960, 0,          "q3",          "Quake 3", "Q3",
                                          "Q&3", "ioquake3", "+connect %1", "q3"};

class TQueryQ3 : public TTableQuery {
public:
  TQueryQ3();
};

class TServerQ3 : public TGameServerBase {
public:
  using TGameServerBase::TGameServerBase;
  int32_t Parse(int32_t step, const std::string& bytes, int32_t queryContext, intptr_t& challenge,
                bool& listed) override;
};
