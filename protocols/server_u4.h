#pragma once

#include <cstdint>
#include <string>

#include "games/ComBase.h"
#include "protocols/TableQuery.h"

// UT2004: three binary requests per poll (server information, players,
// rules), each answered by one datagram whose fifth byte names its type. The
// parser reads whichever reply comes, in any order, and keeps no state.
inline constexpr TGameInfo kGameInfoU4 = {
    7777, 1, "u4", "Unreal Tournament'2004", "UT2k4", "UT200&4", "UT2004.exe", "%1", "u4"};

class TQueryU4 : public TTableQuery {
public:
  TQueryU4();
};

class TServerU4 : public TGameServerBase {
public:
  using TGameServerBase::TGameServerBase;
  int32_t Parse(int32_t step, const std::string& bytes, int32_t queryContext, intptr_t& challenge,
                bool& listed) override;

private:
  void ParseServerInfo(const std::string& bytes);
  void ParseRules(const std::string& bytes);
  void ParsePlayers(const std::string& bytes);
};
