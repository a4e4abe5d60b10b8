#pragma once

#include <string>
#include <vector>

// The list format of stored values: items joined by ",". An item holding a
// blank, a comma, a double quote or a control character is written in double
// quotes with inner quotes doubled; other items, empty ones included, bare.
std::string ToCommaText(const std::vector<std::string>& items);

// Blanks and control characters around items are skipped; a quoted item ends
// at its closing quote (a doubled quote is one quote; an unclosed one runs to
// the end); a bare item ends at a comma, blank or control character; two commas
// give an empty item, as does a comma at the very end. Empty text: no items.
std::vector<std::string> FromCommaText(const std::string& text);
