#include "protocols/server_css.h"

namespace {

constexpr THalfLifeVariant kCounterStrikeSource = {
    .infoFormat = THalfLifeInfoFormat::Source,
    .requiredGame = "Counter-Strike: Source",
    .fragLimit = "",
    .playerCountFromPlayerReply = false,
    .utf8Names = true,
};

} // namespace

TServerCSS::TServerCSS(const TServerCallbacks& callbacks)
    : THalfLifeHandshakeServer(callbacks, kCounterStrikeSource) {
}
