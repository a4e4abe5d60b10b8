#include "protocols/server_cs.h"

namespace {

constexpr int32_t kPlayerStep = 1;

constexpr THalfLifeVariant kCounterStrike = {
    .infoFormat = THalfLifeInfoFormat::Old,
    .gameDescription = "Counter-Strike",
    .gameFolder = "cstrike",
    .applicationId = 0,
    .fragLimit = "-",
    .playerCountFromPlayerReply = true,
    .utf8Names = false,
};

// The datagrams are the same for every address of the game: one table for all.
const std::vector<std::string>& QuerySteps() {
  static const std::vector<std::string> steps{std::string("\xFF\xFF\xFF\xFF"
                                                          "details"),
                                              std::string("\xFF\xFF\xFF\xFF"
                                                          "players")};
  return steps;
}

} // namespace

TQueryCS::TQueryCS() : TTableQuery(QuerySteps(), kPlayerStep, false) {
}

// The info reply alone lists a server; the player reply only adds its players.
int32_t TServerCS::Parse(int32_t step, const std::string& bytes, int32_t, intptr_t& challenge,
                         bool& listed) {
  challenge = 0;
  listed = step == 0;
  return step == 0 ? ParseInfoReply(bytes, kCounterStrike)
                   : ParsePlayerReply(bytes, kCounterStrike);
}
