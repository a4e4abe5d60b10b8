#pragma once

#include "protocols/HalfLife.h"

// Counter-Strike: Source: challenge handshake and engine query, answered in the
// "I" info format; player names come in UTF-8.
inline constexpr TGameInfo kGameInfoCSS = {27015,  0,       "css",   "Counter-Strike: Source",
                                           "CS:S", "CS:&S", "steam", "-applaunch 240 +connect %1",
                                           "css"};

class TQueryCSS : public THalfLifeHandshakeQuery {};

class TServerCSS : public THalfLifeHandshakeServer {
public:
  explicit TServerCSS(const TServerCallbacks& callbacks);
};
