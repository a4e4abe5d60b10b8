#pragma once

#include <QString>

#include "config/MsgINISupp.h"

// A message in the chosen language, for a window: the key and its built-in
// English text.
inline QString Message(const char* key, const char* builtIn) {
  return QString::fromStdString(Lookup(key, builtIn));
}
