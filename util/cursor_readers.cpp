#include "util/cursor_readers.h"

// A cursor of 0 lies before the text and is out of range like one past its end.

int32_t TakeInt32(const std::string& bytes, std::size_t& cursor) {
  if (cursor < 1 || cursor > bytes.size() || bytes.size() - (cursor - 1) < 4)
    throw ERangeError("TakeInt32: fewer than four bytes at the cursor");
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) + (cursor - 1);
  const uint32_t value = static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
  cursor += 4;
  return static_cast<int32_t>(value);
}

std::string TakeCString(const std::string& bytes, std::size_t& cursor) {
  if (cursor < 1 || cursor > bytes.size())
    throw ERangeError("TakeCString: cursor past the end");
  const std::size_t start = cursor - 1;
  const std::size_t nul = bytes.find('\0', start);
  if (nul == std::string::npos) {
    // As if a NUL stood one past the end: the cursor lands beyond it.
    cursor = bytes.size() + 2;
    return bytes.substr(start);
  }
  cursor = nul + 2;
  return bytes.substr(start, nul - start);
}
