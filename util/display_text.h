#pragma once

#include <cstddef>
#include <string>

// Texts from game servers are kept as the bytes they came as. On the console
// they are shown as UTF-8: valid UTF-8 stays as it is, anything else is read
// as Windows-1252.

bool IsValidUtf8(const std::string& bytes);
std::string ToUtf8(const std::string& bytes);

// ToUtf8 with every control character (C0, DEL, C1) replaced by "?", so a
// server name can neither break a line nor drive the terminal.
std::string PrintableText(const std::string& bytes);

// Characters (code points) of a UTF-8 text, for column alignment.
std::size_t CharacterCount(const std::string& utf8);
