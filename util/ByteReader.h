#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

// Raised by a read that would run past the bytes a reader has, or that finds
// a field cut short (a text without its NUL).
class ERangeError : public std::out_of_range {
public:
  using std::out_of_range::out_of_range;
};

// Reads a datagram, or any byte text, from the front: the one place that checks
// bounds, so a parser built on it cannot read past what arrived. A read either
// takes whole bytes that are there and moves past them, or raises ERangeError
// and leaves the offset where it was. The reader is a view: the bytes must
// outlive it.
class TByteReader {
public:
  explicit TByteReader(std::string_view bytes) : bytes_(bytes) {}
  // A temporary text would be gone before the first read.
  explicit TByteReader(std::string&&) = delete;

  std::size_t Offset() const { return offset_; }
  std::size_t Remaining() const { return bytes_.size() - offset_; }
  bool AtEnd() const { return offset_ == bytes_.size(); }
  // The bytes not read yet; the offset stays.
  std::string_view Rest() const { return bytes_.substr(offset_); }

  void Skip(std::size_t count);
  std::string_view ReadBytes(std::size_t count);
  uint8_t ReadUint8();
  // Numbers come least significant byte first, as every game here sends them.
  uint16_t ReadUint16LE();
  int32_t ReadInt32LE();
  // The bytes up to the next NUL, which is read too; without one the text is
  // not whole and the read fails.
  std::string_view ReadCString();

private:
  std::string_view bytes_;
  std::size_t offset_ = 0;
};
