#pragma once

#include <optional>
#include <string>
#include <string_view>

// UTF-16 surrogates: a high one and the low one after it stand for one code
// point beyond U+FFFF.
constexpr bool IsHighSurrogate(char32_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
constexpr bool IsLowSurrogate(char32_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}
constexpr char32_t SurrogatePairCode(char32_t high, char32_t low) {
  return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}

// UTF-16 text files, as Windows editors save them: a byte order mark first.
enum class TByteOrder { LittleEndian, BigEndian };

// The byte order that a UTF-16 byte order mark at the start names; nothing
// without one.
std::optional<TByteOrder> Utf16ByteOrder(std::string_view bytes);
// The text after the byte order mark as UTF-8; nothing when it is not UTF-16
// (an odd length, a surrogate without its pair).
std::optional<std::string> Utf16ToUtf8(std::string_view bytes, TByteOrder order);
// The text, byte order mark first, as UTF-16; bytes that are not UTF-8 are
// read as ToUtf8 reads them.
std::string Utf8ToUtf16(const std::string& text, TByteOrder order);
