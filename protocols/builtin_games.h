#pragma once

#include <vector>

#include "games/game.h"

// The seven built-in game types in registration order (ids 0 to 6).
const std::vector<TGameList::TBuiltin>& BuiltinGames();
