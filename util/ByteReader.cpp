#include "util/ByteReader.h"

namespace {

// The bytes as an unsigned number, least significant first.
uint32_t LittleEndian(std::string_view bytes) {
  uint32_t value = 0;
  for (auto byte = bytes.rbegin(); byte != bytes.rend(); ++byte)
    value = value << 8 | static_cast<uint8_t>(*byte);
  return value;
}

} // namespace

void TByteReader::Skip(std::size_t count) {
  ReadBytes(count);
}

std::string_view TByteReader::ReadBytes(std::size_t count) {
  if (count > Remaining())
    throw ERangeError("byte reader: a field runs past the end");
  const std::string_view bytes = bytes_.substr(offset_, count);
  offset_ += count;
  return bytes;
}

uint8_t TByteReader::ReadUint8() {
  return static_cast<uint8_t>(ReadBytes(1)[0]);
}

uint16_t TByteReader::ReadUint16LE() {
  return static_cast<uint16_t>(LittleEndian(ReadBytes(2)));
}

int32_t TByteReader::ReadInt32LE() {
  return static_cast<int32_t>(LittleEndian(ReadBytes(4)));
}

std::string_view TByteReader::ReadCString() {
  const std::size_t nul = Rest().find('\0');
  if (nul == std::string_view::npos)
    throw ERangeError("byte reader: a text without its NUL");
  const std::string_view text = ReadBytes(nul);
  ++offset_; // the NUL, found above
  return text;
}
