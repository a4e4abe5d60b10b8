#pragma once

#include <cstdint>
#include <string>

#include "games/ComBase.h"
#include "protocols/TableQuery.h"

class TByteReader;

// UT2004: three binary requests per poll (server information, players,
// rules), each answered by one datagram whose fifth byte names its type. The
// parser reads whichever reply comes, in any order, and keeps no state.
inline constexpr TGameInfo kGameInfoU4 = {
    7777, 1, "u4", "Unreal Tournament'2004", "UT2k4", "UT200&4", "ut2004", "%1", "u4"};

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
  // Each reads on from the reply type; ERangeError for a reply cut short.
  void ParseServerInfo(TByteReader& reader);
  void ParseRules(TByteReader& reader);
  void ParsePlayers(TByteReader& reader);
};
