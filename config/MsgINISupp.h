#pragma once

#include <string>

// Every user-visible message goes through here with its key and built-in
// English text. Until a language file is applied, the built-in text is used.
std::string Lookup(const std::string& key, const std::string& builtIn);
