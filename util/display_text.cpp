#include "util/display_text.h"

#include <array>
#include <cstdint>

namespace {

// Windows-1252 at 0x80..0x9F; the five unassigned bytes keep their C1 code.
constexpr std::array<char32_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Length of the well-formed UTF-8 sequence at `at`, or 0 when there is none
// (overlong forms, surrogates and code points above U+10FFFF are not).
std::size_t SequenceLength(const std::string& bytes, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<uint8_t>(bytes[i]); };
  const uint8_t lead = byte(at);
  if (lead < 0x80)
    return 1;
  std::size_t length = 0;
  uint8_t low = 0x80;
  uint8_t high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0)
      low = 0xA0;
    else if (lead == 0xED)
      high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0)
      low = 0x90;
    else if (lead == 0xF4)
      high = 0x8F;
  } else {
    return 0;
  }
  if (at + length > bytes.size())
    return 0;
  for (std::size_t i = 1; i < length; ++i) {
    const uint8_t next = byte(at + i);
    if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF))
      return 0;
  }
  return length;
}

// Characters that break a line or drive a terminal: C0 (TAB included), DEL,
// C1, and the Unicode line and paragraph separators that editors break at.
bool IsControl(char32_t code) {
  return code < 0x20 || (code >= 0x7F && code <= 0x9F) || code == 0x2028 || code == 0x2029;
}

char32_t DecodeSequence(const std::string& bytes, std::size_t at, std::size_t length) {
  const auto byte = [&](std::size_t i) { return static_cast<uint8_t>(bytes[i]); };
  if (length == 1)
    return byte(at);
  char32_t code = byte(at) & (0x7Fu >> length);
  for (std::size_t i = 1; i < length; ++i)
    code = (code << 6) | (byte(at + i) & 0x3Fu);
  return code;
}

char32_t Windows1252(uint8_t byte) {
  return byte >= 0x80 && byte <= 0x9F ? kWindows1252High[byte - 0x80] : byte;
}

// Appends the well-formed sequence at `at` as it is, or "?" for a control.
void AppendPrintableSequence(std::string& out, const std::string& utf8, std::size_t at,
                             std::size_t length) {
  if (IsControl(DecodeSequence(utf8, at, length)))
    out += '?';
  else
    out.append(utf8, at, length);
}

} // namespace

void AppendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

bool IsValidUtf8(const std::string& bytes) {
  for (std::size_t at = 0; at < bytes.size();) {
    const std::size_t length = SequenceLength(bytes, at);
    if (length == 0)
      return false;
    at += length;
  }
  return true;
}

std::string ToUtf8(const std::string& bytes) {
  if (IsValidUtf8(bytes))
    return bytes;
  std::string out;
  out.reserve(bytes.size() * 2);
  for (const char c : bytes)
    AppendUtf8(out, Windows1252(static_cast<uint8_t>(c)));
  return out;
}

std::string PrintableText(const std::string& bytes) {
  const std::string utf8 = ToUtf8(bytes);
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t at = 0; at < utf8.size();) {
    const std::size_t length = SequenceLength(utf8, at);
    AppendPrintableSequence(out, utf8, at, length);
    at += length;
  }
  return out;
}

std::string PrintableLine(const std::string& bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (std::size_t at = 0; at < bytes.size();) {
    const std::size_t length = SequenceLength(bytes, at);
    if (length > 0) {
      AppendPrintableSequence(out, bytes, at, length);
      at += length;
      continue;
    }
    const char32_t code = Windows1252(static_cast<uint8_t>(bytes[at++]));
    if (IsControl(code))
      out += '?';
    else
      AppendUtf8(out, code);
  }
  return out;
}

std::size_t CharacterCount(const std::string& utf8) {
  std::size_t count = 0;
  for (const char c : utf8)
    if ((static_cast<uint8_t>(c) & 0xC0) != 0x80)
      ++count;
  return count;
}
