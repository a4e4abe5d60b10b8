#pragma once

#include <string>
#include <vector>

// Checks the parts of one split Source reply as a client would (header, one
// id, the same count and size in each, every number once, no part longer
// than maxDatagram) and joins them in their numbers' order. A fault is a test
// failure; the result is then empty.
std::string JoinSourceParts(const std::vector<std::string>& parts, std::size_t maxDatagram);
