#pragma once

#include <QString>

#include <string>

#include "util/display_text.h"

// A text from a game server, as the desktop shows it: its bytes read as UTF-8
// when they are valid UTF-8, else as Windows-1252.
inline QString ServerText(const std::string& bytes) {
  return QString::fromStdString(ToUtf8(bytes));
}
