#pragma once

#include <cstddef>
#include <string>

// Texts from game servers are kept as the bytes they came as. On the console
// they are shown as UTF-8: valid UTF-8 stays as it is, anything else is read
// as Windows-1252.

bool IsValidUtf8(const std::string& bytes);
std::string ToUtf8(const std::string& bytes);
// Appends one code point as UTF-8.
void AppendUtf8(std::string& out, char32_t code);

// ToUtf8 with every control character (C0, DEL, C1) and the Unicode line and
// paragraph separators replaced by "?", so a server name can neither break a
// line nor drive the terminal.
std::string PrintableText(const std::string& bytes);

// PrintableText for a line that joins several texts (the program's own and
// those of game servers, whose encodings may differ): each well-formed UTF-8
// sequence stays UTF-8 and every other byte is read as Windows-1252, so one
// Latin-1 name does not turn a UTF-8 name beside it into mojibake. A text
// that is all UTF-8, or that holds no UTF-8 sequence (as real Latin-1 names
// do not), comes out as the window shows it.
std::string PrintableLine(const std::string& bytes);

// Characters (code points) of a UTF-8 text, for column alignment.
std::size_t CharacterCount(const std::string& utf8);
