#include "ReplyReader.h"

#include <bit>

namespace {

void AppendUtf8(std::string& text, uint16_t unit) {
  if (unit < 0x80) {
    text.push_back(static_cast<char>(unit));
  } else if (unit < 0x800) {
    text.push_back(static_cast<char>(0xC0 | unit >> 6));
    text.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
  } else {
    text.push_back(static_cast<char>(0xE0 | unit >> 12));
    text.push_back(static_cast<char>(0x80 | (unit >> 6 & 0x3F)));
    text.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
  }
}

} // namespace

uint8_t ReplyReader::Byte() {
  return Next([](TByteReader& reader) { return reader.ReadUint8(); });
}

int16_t ReplyReader::Int16() {
  return Next([](TByteReader& reader) { return static_cast<int16_t>(reader.ReadUint16LE()); });
}

int32_t ReplyReader::Int32() {
  return Next([](TByteReader& reader) { return reader.ReadInt32LE(); });
}

float ReplyReader::Float32() {
  return std::bit_cast<float>(static_cast<uint32_t>(Int32()));
}

std::string ReplyReader::CString() {
  return Next([](TByteReader& reader) { return std::string(reader.ReadCString()); });
}

std::string ReplyReader::CompactText() {
  return Next([](TByteReader& reader) {
    const uint8_t length = reader.ReadUint8();
    if (length == 0)
      return std::string();
    if (length < 0x80) {
      std::string text(reader.ReadBytes(length));
      if (text.back() != '\0')
        throw ERangeError("compact text without NUL");
      text.pop_back();
      return text;
    }
    std::string utf8;
    const int units = length - 0x80;
    for (int i = 0; i < units; ++i) {
      const uint16_t unit = reader.ReadUint16LE();
      if (i + 1 < units)
        AppendUtf8(utf8, unit);
      else if (unit != 0)
        throw ERangeError("UTF-16 text without NUL");
    }
    return utf8;
  });
}
