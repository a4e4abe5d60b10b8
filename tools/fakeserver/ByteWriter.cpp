#include "tools/fakeserver/ByteWriter.h"

#include <bit>

ByteWriter& ByteWriter::Raw(std::string_view bytes) {
  bytes_.append(bytes);
  return *this;
}

ByteWriter& ByteWriter::Byte(uint8_t value) {
  bytes_.push_back(static_cast<char>(value));
  return *this;
}

ByteWriter& ByteWriter::Int16(int16_t value) {
  const auto bits = static_cast<uint16_t>(value);
  return Byte(static_cast<uint8_t>(bits)).Byte(static_cast<uint8_t>(bits >> 8));
}

ByteWriter& ByteWriter::Int32(int32_t value) {
  const auto bits = static_cast<uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8)
    Byte(static_cast<uint8_t>(bits >> shift));
  return *this;
}

ByteWriter& ByteWriter::Float32(float value) {
  return Int32(static_cast<int32_t>(std::bit_cast<uint32_t>(value)));
}

ByteWriter& ByteWriter::CString(std::string_view text) {
  bytes_.append(text);
  return Byte(0);
}
