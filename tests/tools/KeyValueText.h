#pragma once

#include <string>
#include <utility>
#include <vector>

using KeyValues = std::vector<std::pair<std::string, std::string>>;

// "\key\value\key\value..." in order; a trailing key without value gets "".
KeyValues ParseKeyValues(const std::string& text);

// The value of the first pair with this key; "<missing>" when there is none.
std::string ValueOf(const KeyValues& pairs, const std::string& key);
