#pragma once

#include <string>
#include <vector>

// A message template with "%1" to "%9" replaced by the texts given, in one
// pass: what is put in is never searched again, so a player or server name
// holding "%2" stays as it is. A marker without a text stays as written.
std::string FillPlaceholders(const std::string& text, const std::vector<std::string>& values);
