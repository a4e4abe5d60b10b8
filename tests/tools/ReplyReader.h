#pragma once

#include <cstdint>
#include <string>

// Walks a binary reply the way a client does; reading past the end throws
// std::out_of_range, so a test fails instead of reading garbage.
class ReplyReader {
public:
  explicit ReplyReader(std::string bytes, std::size_t start = 0)
      : bytes_(std::move(bytes)), cursor_(start) {}

  uint8_t Byte();
  int16_t Int16();
  int32_t Int32();
  float Float32();
  std::string CString();
  // Unreal 2004 string: length byte with the NUL counted; 0x80 and above
  // announce UTF-16LE units. UTF-16 comes back as UTF-8.
  std::string CompactText();
  std::string Take(std::size_t count);

  std::size_t Cursor() const { return cursor_; }
  bool AtEnd() const { return cursor_ == bytes_.size(); }

private:
  std::string bytes_;
  std::size_t cursor_;
};
