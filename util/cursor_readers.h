#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

// Cursor readers over a byte text; the cursor is 1-based. They are the only
// place that checks bounds, so a parser built on them cannot read past a reply.
class ERangeError : public std::out_of_range {
public:
  using std::out_of_range::out_of_range;
};

// Four bytes, least significant first. Raises ERangeError and leaves the cursor
// alone when fewer than four bytes remain.
int32_t TakeInt32(const std::string& bytes, std::size_t& cursor);

// Bytes up to the next NUL; the cursor moves past it. Without a NUL the rest is
// returned and the cursor ends two past the last byte, so the next read fails.
// Raises ERangeError when the cursor is already past the end.
std::string TakeCString(const std::string& bytes, std::size_t& cursor);
