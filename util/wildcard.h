#pragma once

#include <string_view>

// Whether `text` matches `pattern` as a whole: "*" stands for any run of
// characters (none included), "?" for exactly one character, every other
// character for itself, ASCII letters without regard to case. A character is
// one UTF-8 sequence (a lead byte and its continuation bytes), so "?" covers
// "ö" as one; bytes outside UTF-8 count one each.
bool WildcardMatch(std::string_view pattern, std::string_view text);
