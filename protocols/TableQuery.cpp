#include "protocols/TableQuery.h"

TTableQuery::TTableQuery(const std::vector<std::string>& steps, int32_t perServerStep,
                         bool challengeBearing)
    : steps_(steps), perServerStep_(perServerStep), challengeBearing_(challengeBearing) {
}

int32_t TTableQuery::GetPacketCount() {
  return static_cast<int32_t>(steps_.size());
}

bool TTableQuery::IsPerServer(int32_t step) {
  return perServerStep_ != kNoPerServerStep && step == perServerStep_;
}

std::string TTableQuery::BuildPacket(int32_t step, intptr_t challenge) {
  if (step < 0 || step >= GetPacketCount())
    return {};
  std::string bytes = steps_[static_cast<std::size_t>(step)];
  const bool lastStep = step == GetPacketCount() - 1;
  // The challenge is the address of the parser's 4-byte buffer.
  if (challengeBearing_ && lastStep && challenge != 0)
    bytes.append(reinterpret_cast<const char*>(challenge), 4);
  return bytes;
}
