#include "config/MsgINISupp.h"

// No language file is applied yet: every message is its built-in English text.
std::string Lookup(const std::string& /*key*/, const std::string& builtIn) {
  return builtIn;
}
