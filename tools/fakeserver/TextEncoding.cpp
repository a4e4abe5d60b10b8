#include "tools/fakeserver/TextEncoding.h"

#include <vector>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Length of the sequence a lead byte announces, 0 for a byte that cannot lead.
int SequenceLength(unsigned char lead) {
  if (lead < 0x80)
    return 1;
  if (lead >= 0xC2 && lead <= 0xDF)
    return 2;
  if (lead >= 0xE0 && lead <= 0xEF)
    return 3;
  if (lead >= 0xF0 && lead <= 0xF4)
    return 4;
  return 0;
}

std::vector<char32_t> DecodeUtf8(std::string_view utf8) {
  std::vector<char32_t> codePoints;
  std::size_t i = 0;
  while (i < utf8.size()) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const int length = SequenceLength(lead);
    if (length == 0 || i + length > utf8.size()) {
      codePoints.push_back(kReplacement);
      ++i;
      continue;
    }
    char32_t value = length == 1 ? lead : lead & (0x7F >> length);
    bool wellFormed = true;
    for (int k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(utf8[i + k]);
      if ((next & 0xC0) != 0x80) {
        wellFormed = false;
        break;
      }
      value = (value << 6) | (next & 0x3F);
    }
    const bool overlong = (length == 3 && value < 0x800) || (length == 4 && value < 0x10000);
    const bool outOfRange = value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF);
    if (!wellFormed || overlong || outOfRange) {
      codePoints.push_back(kReplacement);
      ++i;
      continue;
    }
    codePoints.push_back(value);
    i += length;
  }
  return codePoints;
}

} // namespace

std::string Utf8ToLatin1(std::string_view utf8) {
  std::string latin1;
  for (char32_t codePoint : DecodeUtf8(utf8))
    latin1.push_back(codePoint <= 0xFF ? static_cast<char>(codePoint) : '?');
  return latin1;
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
  std::u16string utf16;
  for (char32_t codePoint : DecodeUtf8(utf8)) {
    if (codePoint <= 0xFFFF) {
      utf16.push_back(static_cast<char16_t>(codePoint));
    } else {
      const char32_t offset = codePoint - 0x10000;
      utf16.push_back(static_cast<char16_t>(0xD800 + (offset >> 10)));
      utf16.push_back(static_cast<char16_t>(0xDC00 + (offset & 0x3FF)));
    }
  }
  return utf16;
}

bool IsAscii(std::string_view text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80)
      return false;
  return true;
}
