#pragma once

#include "protocols/HalfLife.h"

// Counter-Strike after the engine patch: challenge handshake and engine query,
// answered in the older "m" info format.
inline constexpr TGameInfo kGameInfoCSP = {27015, 0,        "csp",   "Counter-Strike (patch)",
                                           "CS",  "CS(&P)", "steam", "-applaunch 10 +connect %1",
                                           "csp"};

class TQueryCSP : public THalfLifeHandshakeQuery {};

class TServerCSP : public THalfLifeHandshakeServer {
public:
  explicit TServerCSP(const TServerCallbacks& callbacks);
};
