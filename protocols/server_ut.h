#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "games/ComBase.h"
#include "protocols/TableQuery.h"

// Unreal Tournament: the "\status\" text request, answered with backslash
// key/value pairs that may be split over several datagrams. Each datagram
// carries "queryid" as answer id, a dot and a packet number; the last one
// also carries "final". The parser puts the packets back in order and reads
// the answer once every packet up to the final one is in.
inline constexpr TGameInfo kGameInfoUT = {7777, 1,    "ut", "Unreal Tournament'99", "UT", "&UT",
                                          "ut", "%1", "ut"};

class TQueryUT : public TTableQuery {
public:
  TQueryUT();
};

class TServerUT : public TGameServerBase {
public:
  using TGameServerBase::TGameServerBase;
  void Reset() override;
  int32_t Parse(int32_t step, const std::string& bytes, int32_t queryContext, intptr_t& challenge,
                bool& listed) override;

private:
  void InsertInPacketOrder(std::vector<std::string> lines, char packetDigit);
  bool AllPacketsIn() const;
  void Deliver(const std::vector<std::string>& lines);

  std::vector<std::string> fragmentStore_; // lines "key=value", packets in packet order
  int32_t answerId_ = 0;
  int32_t finalPacket_ = 0;
  uint16_t receivedPackets_ = 0; // bit n: packet n (0..15) is in
};
