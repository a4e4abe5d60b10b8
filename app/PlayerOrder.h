#pragma once

#include <string>

// The player view's order: more frags first. Both frags texts are read as
// integers, the first then the second; an empty text is 0, and a text that is
// not an integer stops the reading there, leaving what was not read at 0.
// Negative: `fragsA` goes first; positive: `fragsB` does; 0: equal.
int lvPlayersCompare(const std::string& fragsA, const std::string& fragsB);
