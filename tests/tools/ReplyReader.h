#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "util/ByteReader.h"

// Walks a binary reply the way a client does, over its own copy of the bytes.
// Every read goes through TByteReader, so reading past the end throws
// std::out_of_range (ERangeError) and a test fails instead of reading garbage.
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

  std::size_t Cursor() const { return cursor_; }
  bool AtEnd() const { return cursor_ == bytes_.size(); }

private:
  // One read from the cursor on; the cursor moves past what it took.
  template <class Read> auto Next(Read read) {
    TByteReader reader(bytes_);
    reader.Skip(cursor_);
    auto value = read(reader);
    cursor_ = reader.Offset();
    return value;
  }

  std::string bytes_;
  std::size_t cursor_;
};
