#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "util/ByteReader.h"

// Cursor readers over a byte text; the cursor is 1-based. They read through
// TByteReader, so they check bounds as it does.

// Four bytes, least significant first. Raises ERangeError and leaves the cursor
// alone when fewer than four bytes remain.
int32_t TakeInt32(const std::string& bytes, std::size_t& cursor);

// Bytes up to the next NUL; the cursor moves past it. Without a NUL the rest is
// returned and the cursor ends two past the last byte, so the next read fails.
// Raises ERangeError when the cursor is already past the end.
std::string TakeCString(const std::string& bytes, std::size_t& cursor);
