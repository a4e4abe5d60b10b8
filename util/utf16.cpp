#include "util/utf16.h"

#include <cstdint>

#include "util/display_text.h"

namespace {

constexpr char16_t kByteOrderMark = 0xFEFF;

char16_t UnitAt(std::string_view bytes, std::size_t at, TByteOrder order) {
  const auto first = static_cast<uint8_t>(bytes[at]);
  const auto second = static_cast<uint8_t>(bytes[at + 1]);
  return static_cast<char16_t>(order == TByteOrder::LittleEndian ? first | second << 8
                                                                 : first << 8 | second);
}

void AppendUnit(std::string& out, char16_t unit, TByteOrder order) {
  const auto low = static_cast<char>(unit & 0xFF);
  const auto high = static_cast<char>(unit >> 8);
  if (order == TByteOrder::LittleEndian) {
    out += low;
    out += high;
  } else {
    out += high;
    out += low;
  }
}

// The code point of well-formed UTF-8 at `at`; `at` moves past it.
char32_t NextCodePoint(const std::string& utf8, std::size_t& at) {
  const auto lead = static_cast<uint8_t>(utf8[at++]);
  const std::size_t tail = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
  char32_t code = tail == 0 ? lead : lead & (0x3Fu >> tail);
  for (std::size_t i = 0; i < tail && at < utf8.size(); ++i)
    code = code << 6 | (static_cast<uint8_t>(utf8[at++]) & 0x3Fu);
  return code;
}

} // namespace

std::optional<TByteOrder> Utf16ByteOrder(std::string_view bytes) {
  if (bytes.starts_with("\xFF\xFE"))
    return TByteOrder::LittleEndian;
  if (bytes.starts_with("\xFE\xFF"))
    return TByteOrder::BigEndian;
  return std::nullopt;
}

std::optional<std::string> Utf16ToUtf8(std::string_view bytes, TByteOrder order) {
  if (bytes.size() % 2 != 0)
    return std::nullopt;
  std::string text;
  text.reserve(bytes.size());
  for (std::size_t at = 2; at < bytes.size(); at += 2) {
    const char32_t unit = UnitAt(bytes, at, order);
    if (IsLowSurrogate(unit))
      return std::nullopt;
    if (!IsHighSurrogate(unit)) {
      AppendUtf8(text, unit);
      continue;
    }
    at += 2;
    if (at >= bytes.size())
      return std::nullopt;
    const char32_t low = UnitAt(bytes, at, order);
    if (!IsLowSurrogate(low))
      return std::nullopt;
    AppendUtf8(text, SurrogatePairCode(unit, low));
  }
  return text;
}

std::string Utf8ToUtf16(const std::string& text, TByteOrder order) {
  const std::string utf8 = ToUtf8(text);
  std::string out;
  out.reserve(2 + utf8.size() * 2);
  AppendUnit(out, kByteOrderMark, order);
  for (std::size_t at = 0; at < utf8.size();) {
    const char32_t code = NextCodePoint(utf8, at);
    if (code < 0x10000) {
      AppendUnit(out, static_cast<char16_t>(code), order);
    } else {
      AppendUnit(out, static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)), order);
      AppendUnit(out, static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)), order);
    }
  }
  return out;
}
