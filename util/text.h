#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The integer-text rule every text-to-integer conversion follows: optional
// leading blanks, an optional sign, then decimal digits or hexadecimal digits
// after "$", "x", "X", "0x" or "0X". Nothing may follow. Decimal values must
// fit 32 bits; hexadecimal values up to FFFFFFFF wrap to their signed form.
std::optional<int32_t> TryTextToInt(const std::string& text);
int32_t TextToIntDef(const std::string& text, int32_t fallback);

// Space and tab, the blanks of settings and integer texts.
bool IsBlank(char c);
// The text without its leading and trailing blanks.
std::string TrimBlanks(std::string_view text);
// The text without its leading and trailing bytes up to the space: blanks,
// line breaks and every other control character.
std::string TrimBlanksAndControls(std::string_view text);

// Wraps the text in double quotes when it contains a blank; inner quotes stay.
std::string QuoteIfSpaced(const std::string& text);

// Four dot-separated integer texts of 0..255; a single trailing dot is allowed.
bool IsDottedQuad(const std::string& text);

// Decodes UTF-8 into the local 8-bit encoding (UTF-8 here): the result is the
// input cut to at most 128 bytes on a character boundary. Invalid UTF-8 or a
// text of more than 128 UTF-16 units comes back unchanged.
std::string Utf8ToAcp(const std::string& text);

// The lines of a file's text: split at LF, a CR before it dropped; a final
// line end opens no further line. Each line is handed to `visit` as a view
// into `text`, so a big file is split without copies.
template <class Visit> void ForEachFileLine(std::string_view text, const Visit& visit) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos)
      end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r')
      line.remove_suffix(1);
    visit(line);
  }
}
// The same lines, copied.
std::vector<std::string> SplitFileLines(const std::string& text);
// The lines of a reply's text: split at CR LF, CR or LF; a break at the very
// end opens no further line.
std::vector<std::string> SplitLines(std::string_view text);

// ASCII upper- and lower-casing; the locale's rules never apply to protocol,
// switch or key texts.
std::string UpperAscii(std::string text);
std::string LowerAscii(std::string text);
// Case-insensitive ASCII comparison, as the settings file's names are compared.
bool SameTextAscii(std::string_view a, std::string_view b);
