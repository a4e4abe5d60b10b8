#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "games/ComBase.h"

// The query builder of every built-in protocol: one fixed datagram per step,
// at most one step sent to each answering server, and for the challenge-bearing
// protocols the server's 4 challenge bytes behind the last step.
class TTableQuery : public TGameQueryBase {
public:
  static constexpr int32_t kNoPerServerStep = -1;

  // The steps are a table of the game's that outlives every query builder:
  // each address has a builder, so they must not each hold a copy.
  TTableQuery(const std::vector<std::string>& steps, int32_t perServerStep, bool challengeBearing);

  int32_t GetPacketCount() override;
  bool IsPerServer(int32_t step) override;
  std::string BuildPacket(int32_t step, intptr_t challenge) override;

private:
  const std::vector<std::string>& steps_;
  int32_t perServerStep_;
  bool challengeBearing_;
};
