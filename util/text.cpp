#include "util/text.h"

#include <cstddef>
#include <cstdint>
#include <utility>

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

char UpperChar(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

char LowerChar(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsBlankOrControl(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

std::string TrimWhere(std::string_view text, bool (*trimmed)(char)) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && trimmed(text[begin]))
    ++begin;
  while (end > begin && trimmed(text[end - 1]))
    --end;
  return std::string(text.substr(begin, end - begin));
}

// Length in bytes of the strictly valid UTF-8 character at text[i] (0 when
// invalid) and its number of UTF-16 units.
std::size_t Utf8CharLength(const std::string& text, std::size_t i, int& units) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  std::size_t length;
  uint32_t code;
  if (lead < 0x80) {
    units = 1;
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07;
  } else {
    return 0; // a continuation byte, an overlong two-byte lead or beyond U+10FFFF
  }
  if (text.size() - i < length)
    return 0;
  for (std::size_t k = 1; k < length; ++k) {
    const unsigned char next = byte(i + k);
    if ((next & 0xC0) != 0x80)
      return 0;
    code = (code << 6) | (next & 0x3F);
  }
  if ((length == 3 && code < 0x800) || (length == 4 && code < 0x10000))
    return 0; // overlong
  if (code >= 0xD800 && code <= 0xDFFF)
    return 0; // surrogates are not characters
  if (code > 0x10FFFF)
    return 0;
  units = code > 0xFFFF ? 2 : 1;
  return length;
}

} // namespace

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string TrimBlanks(std::string_view text) {
  return TrimWhere(text, IsBlank);
}

std::string TrimBlanksAndControls(std::string_view text) {
  return TrimWhere(text, IsBlankOrControl);
}

std::optional<int32_t> TryTextToInt(const std::string& text) {
  const std::size_t n = text.size();
  std::size_t i = 0;
  while (i < n && IsBlank(text[i]))
    ++i;
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  bool hex = false;
  if (i < n && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < n && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i == n)
    return std::nullopt; // nothing, a bare sign or a bare prefix

  // Accumulate in 64 bits and stop at the first value that cannot fit, so long
  // runs of digits never overflow.
  const uint64_t limit = hex ? 0xFFFFFFFFull : 0x80000000ull;
  const uint64_t base = hex ? 16 : 10;
  uint64_t value = 0;
  for (; i < n; ++i) {
    const int digit =
        hex ? HexValue(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
    if (digit < 0)
      return std::nullopt;
    value = value * base + static_cast<uint64_t>(digit);
    if (value > limit)
      return std::nullopt;
  }
  if (hex) {
    // Hexadecimal texts name a bit pattern: FFFFFFFF is -1, and the sign
    // negates that pattern modulo 2^32.
    const uint32_t bits = static_cast<uint32_t>(value);
    return static_cast<int32_t>(negative ? 0u - bits : bits);
  }
  if (negative)
    return static_cast<int32_t>(0u - static_cast<uint32_t>(value));
  if (value > 0x7FFFFFFFull)
    return std::nullopt;
  return static_cast<int32_t>(value);
}

int32_t TextToIntDef(const std::string& text, int32_t fallback) {
  return TryTextToInt(text).value_or(fallback);
}

std::string QuoteIfSpaced(const std::string& text) {
  if (text.find(' ') == std::string::npos)
    return text;
  return '"' + text + '"';
}

bool IsDottedQuad(const std::string& text) {
  // The dots act as line ends: a last dot closes the fourth part instead of
  // opening a fifth, while any empty part fails as a number.
  int parts = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t dot = text.find('.', start);
    if (dot == std::string::npos)
      dot = text.size();
    if (++parts > 4)
      return false;
    const auto number = TryTextToInt(text.substr(start, dot - start));
    if (!number || *number < 0 || *number > 255)
      return false;
    start = dot + 1;
  }
  return parts == 4;
}

std::string Utf8ToAcp(const std::string& text) {
  constexpr std::size_t kMaxUnits = 128;
  constexpr std::size_t kMaxBytes = 128;
  std::size_t units = 0;
  std::size_t cut = 0; // end of the last whole character within kMaxBytes
  for (std::size_t i = 0; i < text.size();) {
    int charUnits = 0;
    const std::size_t length = Utf8CharLength(text, i, charUnits);
    if (length == 0)
      return text;
    units += static_cast<std::size_t>(charUnits);
    if (units > kMaxUnits)
      return text;
    i += length;
    if (i <= kMaxBytes)
      cut = i;
  }
  return text.substr(0, cut);
}

std::string UpperAscii(std::string text) {
  for (char& c : text)
    c = UpperChar(c);
  return text;
}

std::string LowerAscii(std::string text) {
  for (char& c : text)
    c = LowerChar(c);
  return text;
}

bool SameTextAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (UpperChar(a[i]) != UpperChar(b[i]))
      return false;
  return true;
}

std::vector<std::string> SplitFileLines(const std::string& text) {
  std::vector<std::string> lines;
  ForEachFileLine(text, [&](std::string_view line) { lines.emplace_back(line); });
  return lines;
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos)
      end = text.size();
    lines.emplace_back(text.substr(start, end - start));
    start = end;
    if (start < text.size() && text[start] == '\r')
      ++start;
    if (start < text.size() && text[start] == '\n')
      ++start;
  }
  return lines;
}
