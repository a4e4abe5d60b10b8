#pragma once

#include <string>
#include <string_view>

// Old game servers send 8-bit text in their own code page; the emulator keeps
// its texts in UTF-8 and converts them on the way out, as each game would.

// Code points up to U+00FF become one byte each; anything else, and every
// malformed UTF-8 sequence, becomes "?".
std::string Utf8ToLatin1(std::string_view utf8);

// Malformed UTF-8 sequences become U+FFFD; code points above U+FFFF become
// surrogate pairs.
std::u16string Utf8ToUtf16(std::string_view utf8);

bool IsAscii(std::string_view text);
