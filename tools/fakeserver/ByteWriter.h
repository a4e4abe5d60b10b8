#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Builds a binary reply; numbers are written least significant byte first,
// as every game here sends them.
class ByteWriter {
public:
  ByteWriter& Raw(std::string_view bytes);
  ByteWriter& Byte(uint8_t value);
  ByteWriter& Int16(int16_t value);
  ByteWriter& Int32(int32_t value);
  ByteWriter& Float32(float value);
  // The text and one NUL.
  ByteWriter& CString(std::string_view text);

  const std::string& Bytes() const { return bytes_; }

private:
  std::string bytes_;
};
