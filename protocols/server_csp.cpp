#include "protocols/server_csp.h"

namespace {

constexpr THalfLifeVariant kCounterStrikePatched = {
    .infoFormat = THalfLifeInfoFormat::Old,
    .gameDescription = "Counter-Strike",
    .gameFolder = "cstrike",
    .applicationId = 0,
    .fragLimit = "-",
    .playerCountFromPlayerReply = false,
    .utf8Names = false,
};

} // namespace

TServerCSP::TServerCSP(const TServerCallbacks& callbacks)
    : THalfLifeHandshakeServer(callbacks, kCounterStrikePatched) {
}
