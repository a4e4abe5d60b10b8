#include "util/cursor_readers.h"

namespace {

// A reader standing at the 1-based cursor. A cursor of 0 lies before the text
// and is out of range like one past its end.
TByteReader ReaderAt(const std::string& bytes, std::size_t cursor) {
  if (cursor < 1)
    throw ERangeError("cursor readers: the cursor lies before the text");
  TByteReader reader(bytes);
  reader.Skip(cursor - 1);
  return reader;
}

} // namespace

int32_t TakeInt32(const std::string& bytes, std::size_t& cursor) {
  TByteReader reader = ReaderAt(bytes, cursor);
  const int32_t value = reader.ReadInt32LE();
  cursor = reader.Offset() + 1;
  return value;
}

std::string TakeCString(const std::string& bytes, std::size_t& cursor) {
  TByteReader reader = ReaderAt(bytes, cursor);
  if (reader.AtEnd())
    throw ERangeError("TakeCString: cursor past the end");
  if (reader.Rest().find('\0') == std::string_view::npos) {
    // As if a NUL stood one past the end: the cursor lands beyond it.
    cursor = bytes.size() + 2;
    return std::string(reader.Rest());
  }
  std::string text(reader.ReadCString());
  cursor = reader.Offset() + 1;
  return text;
}
