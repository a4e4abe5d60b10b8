#pragma once

#include <string>

// A dotted IPv4 address comes back unchanged; a name is looked up (IPv4 only,
// blocking) and its first address returned as a dotted quad; failure gives "".
std::string ResolveHost(const std::string& host);
