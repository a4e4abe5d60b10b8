#include "ReplyReader.h"

#include <bit>
#include <stdexcept>

uint8_t ReplyReader::Byte() {
  return static_cast<uint8_t>(Take(1)[0]);
}

int16_t ReplyReader::Int16() {
  const std::string bytes = Take(2);
  return static_cast<int16_t>(static_cast<uint8_t>(bytes[0]) | static_cast<uint8_t>(bytes[1]) << 8);
}

int32_t ReplyReader::Int32() {
  const std::string bytes = Take(4);
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i)
    value = value << 8 | static_cast<uint8_t>(bytes[i]);
  return static_cast<int32_t>(value);
}

float ReplyReader::Float32() {
  return std::bit_cast<float>(static_cast<uint32_t>(Int32()));
}

std::string ReplyReader::CString() {
  const std::size_t end = bytes_.find('\0', cursor_);
  if (end == std::string::npos)
    throw std::out_of_range("text without NUL");
  std::string text = bytes_.substr(cursor_, end - cursor_);
  cursor_ = end + 1;
  return text;
}

std::string ReplyReader::CompactText() {
  const uint8_t length = Byte();
  if (length == 0)
    return "";
  if (length < 0x80) {
    std::string text = Take(length);
    if (text.back() != '\0')
      throw std::out_of_range("compact text without NUL");
    text.pop_back();
    return text;
  }
  std::string utf8;
  const int units = length - 0x80;
  for (int i = 0; i < units; ++i) {
    const auto unit = static_cast<uint16_t>(Int16());
    if (i + 1 == units) {
      if (unit != 0)
        throw std::out_of_range("UTF-16 text without NUL");
    } else if (unit < 0x80) {
      utf8.push_back(static_cast<char>(unit));
    } else if (unit < 0x800) {
      utf8.push_back(static_cast<char>(0xC0 | unit >> 6));
      utf8.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
    } else {
      utf8.push_back(static_cast<char>(0xE0 | unit >> 12));
      utf8.push_back(static_cast<char>(0x80 | (unit >> 6 & 0x3F)));
      utf8.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
    }
  }
  return utf8;
}

std::string ReplyReader::Take(std::size_t count) {
  if (count > bytes_.size() - std::min(cursor_, bytes_.size()))
    throw std::out_of_range("reply too short");
  std::string bytes = bytes_.substr(cursor_, count);
  cursor_ += count;
  return bytes;
}
