#include "protocols/server_css.h"

namespace {

constexpr THalfLifeVariant kCounterStrikeSource = {
    .infoFormat = THalfLifeInfoFormat::Source,
    .gameDescription = "Counter-Strike: Source",
    .gameFolder = "cstrike",
    .applicationId = 240,
    .fragLimit = "",
    .playerCountFromPlayerReply = false,
    .utf8Names = true,
};

} // namespace

TServerCSS::TServerCSS(const TServerCallbacks& callbacks)
    : THalfLifeHandshakeServer(callbacks, kCounterStrikeSource) {
}
