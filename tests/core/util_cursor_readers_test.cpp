#include "util/cursor_readers.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace {

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (int v : values)
    bytes += static_cast<char>(v);
  return bytes;
}

TEST(CursorReadersTest, TakeInt32ReadsLittleEndianAndAdvances) {
  const struct {
    std::string bytes;
    std::size_t cursor;
    int32_t expected;
  } cases[] = {
      {Bytes({0x01, 0x02, 0x03, 0x04}), 1, 0x04030201},
      {Bytes({0xFF, 0xFF, 0xFF, 0xFF}), 1, -1},
      {Bytes({0x00, 0x00, 0x00, 0x80}), 1, INT32_MIN},
      {Bytes({0xFF, 0xFF, 0xFF, 0x7F}), 1, INT32_MAX},
      {Bytes({0x00, 0x00, 0x00, 0x00}), 1, 0},
      {Bytes({0xAA, 0x10, 0x00, 0x00, 0x00, 0xBB}), 2, 16},         // mid-text, NULs inside
      {Bytes({0xAA, 0xAA, 0x78, 0x56, 0x34, 0x12}), 3, 0x12345678}, // last four bytes
  };
  for (const auto& c : cases) {
    std::size_t cursor = c.cursor;
    EXPECT_EQ(TakeInt32(c.bytes, cursor), c.expected);
    EXPECT_EQ(cursor, c.cursor + 4);
  }
}

TEST(CursorReadersTest, TakeInt32RaisesAndKeepsCursorWhenShort) {
  const struct {
    std::string bytes;
    std::size_t cursor;
  } cases[] = {
      {Bytes({0x01, 0x02, 0x03}), 1},
      {"", 1},
      {Bytes({0x01, 0x02, 0x03, 0x04}), 2},
      {Bytes({0x01, 0x02, 0x03, 0x04}), 5},
      {Bytes({0x01, 0x02, 0x03, 0x04}), 0},
      {Bytes({0x01, 0x02, 0x03, 0x04}), std::numeric_limits<std::size_t>::max()},
      {Bytes({0x01, 0x02, 0x03, 0x04}), std::numeric_limits<std::size_t>::max() - 2},
  };
  for (const auto& c : cases) {
    std::size_t cursor = c.cursor;
    EXPECT_THROW(TakeInt32(c.bytes, cursor), ERangeError) << "cursor " << c.cursor;
    EXPECT_EQ(cursor, c.cursor);
  }
}

TEST(CursorReadersTest, TakeCStringWalksNulSeparatedFields) {
  const std::string bytes("ab\0c", 4);
  std::size_t cursor = 1;
  EXPECT_EQ(TakeCString(bytes, cursor), "ab");
  EXPECT_EQ(cursor, 4u);
  EXPECT_EQ(TakeCString(bytes, cursor), "c"); // no NUL follows: the rest
  EXPECT_EQ(cursor, 6u);
  EXPECT_THROW(TakeCString(bytes, cursor), ERangeError);
  EXPECT_EQ(cursor, 6u);
}

TEST(CursorReadersTest, TakeCStringEdgeCases) {
  const struct {
    std::string bytes;
    std::size_t cursor;
    std::string expected;
    std::size_t cursorAfter;
  } cases[] = {
      {std::string("\0", 1), 1, "", 2},
      {std::string("\0\0x", 3), 2, "", 3},
      {std::string("abc\0", 4), 1, "abc", 5},
      {"abc", 1, "abc", 5},
      {"abc", 3, "c", 5},
      {std::string("a\xFF\0", 3), 1, "a\xFF", 4},
  };
  for (const auto& c : cases) {
    std::size_t cursor = c.cursor;
    EXPECT_EQ(TakeCString(c.bytes, cursor), c.expected);
    EXPECT_EQ(cursor, c.cursorAfter);
  }
}

TEST(CursorReadersTest, TakeCStringRaisesPastTheEnd) {
  const struct {
    std::string bytes;
    std::size_t cursor;
  } cases[] = {
      {"", 1},
      {std::string("ab\0", 3), 4}, // just after a final NUL
      {"abc", 4},
      {"abc", 0},
      {"abc", std::numeric_limits<std::size_t>::max()},
  };
  for (const auto& c : cases) {
    std::size_t cursor = c.cursor;
    EXPECT_THROW(TakeCString(c.bytes, cursor), ERangeError) << "cursor " << c.cursor;
    EXPECT_EQ(cursor, c.cursor);
  }
}

} // namespace
