#include "protocols/server_csp.h"

namespace {

constexpr THalfLifeVariant kCounterStrikePatched = {
    .infoFormat = THalfLifeInfoFormat::Old,
    .requiredGame = "Counter-Strike",
    .fragLimit = "-",
    .playerCountFromPlayerReply = false,
    .utf8Names = false,
};

} // namespace

TServerCSP::TServerCSP(const TServerCallbacks& callbacks)
    : THalfLifeHandshakeServer(callbacks, kCounterStrikePatched) {
}
