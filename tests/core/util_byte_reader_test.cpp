#include "util/ByteReader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string>

namespace {

using namespace std::string_literals;

constexpr std::size_t kHuge = std::numeric_limits<std::size_t>::max();

// Each read as text, so one table holds them all.
std::string Uint8(TByteReader& reader) {
  return std::to_string(reader.ReadUint8());
}
std::string Uint16(TByteReader& reader) {
  return std::to_string(reader.ReadUint16LE());
}
std::string Int32(TByteReader& reader) {
  return std::to_string(reader.ReadInt32LE());
}
std::string CString(TByteReader& reader) {
  return std::string(reader.ReadCString());
}
std::function<std::string(TByteReader&)> Bytes(std::size_t count) {
  return [count](TByteReader& reader) { return std::string(reader.ReadBytes(count)); };
}
std::function<std::string(TByteReader&)> Skip(std::size_t count) {
  return [count](TByteReader& reader) {
    reader.Skip(count);
    return std::string();
  };
}

struct ReadCase {
  const char* what;
  std::string bytes;
  std::size_t before; // bytes skipped before the read
  std::function<std::string(TByteReader&)> read;
  std::optional<std::string> value; // none: the read raises ERangeError
  std::size_t offsetAfter;
};

TEST(ByteReaderTest, ReadsWholeFieldsOrFailsWithoutMoving) {
  const ReadCase cases[] = {
      {"byte, exact fit", "\x7F", 0, Uint8, "127", 1},
      {"byte, high bit", "\xFF", 0, Uint8, "255", 1},
      {"byte, empty input", "", 0, Uint8, std::nullopt, 0},
      {"byte, at the end", "a", 1, Uint8, std::nullopt, 1},
      {"16 bits, least significant first", "\x34\x12", 0, Uint16, "4660", 2},
      {"16 bits, high byte set", "\xF0\x80", 0, Uint16, "33008", 2},
      {"16 bits, one byte short", "\x34", 0, Uint16, std::nullopt, 0},
      {"32 bits, exact fit", "\x01\x02\x03\x04", 0, Int32, "67305985", 4},
      {"32 bits, signed", "\xFF\xFF\xFF\xFF", 0, Int32, "-1", 4},
      {"32 bits, smallest", "\x00\x00\x00\x80"s, 0, Int32, "-2147483648", 4},
      {"32 bits, NULs inside, mid-text", "\xAA\x10\x00\x00\x00\xBB"s, 1, Int32, "16", 5},
      {"32 bits, one byte short", "\xAA\x01\x02\x03", 1, Int32, std::nullopt, 1},
      {"32 bits, empty input", "", 0, Int32, std::nullopt, 0},
      {"text, then more", "ab\0c"s, 0, CString, "ab", 3},
      {"text, empty", "\0"s, 0, CString, "", 1},
      {"text, high bytes kept", "a\xFF\0"s, 0, CString, "a\xFF", 3},
      {"text, last field", "ab\0cd\0"s, 3, CString, "cd", 6},
      {"text, missing NUL", "abc", 0, CString, std::nullopt, 0},
      {"text, missing NUL after a field", "ab\0c"s, 3, CString, std::nullopt, 3},
      {"text, empty input", "", 0, CString, std::nullopt, 0},
      {"text, at the end", "ab\0"s, 3, CString, std::nullopt, 3},
      {"bytes, exact fit", "abc", 0, Bytes(3), "abc", 3},
      {"bytes, NULs kept", "\0a\0"s, 0, Bytes(3), "\0a\0"s, 3},
      {"bytes, none at the end", "abc", 3, Bytes(0), "", 3},
      {"bytes, one short", "abc", 0, Bytes(4), std::nullopt, 0},
      {"bytes, a count that would wrap", "abc", 1, Bytes(kHuge), std::nullopt, 1},
      {"skip, exact fit", "abc", 0, Skip(3), "", 3},
      {"skip, one short", "abc", 1, Skip(3), std::nullopt, 1},
      {"skip, a count that would wrap", "abc", 0, Skip(kHuge), std::nullopt, 0},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.what);
    TByteReader reader(c.bytes);
    reader.Skip(c.before);
    if (c.value) {
      EXPECT_EQ(c.read(reader), *c.value);
    } else {
      EXPECT_THROW(c.read(reader), ERangeError);
    }
    EXPECT_EQ(reader.Offset(), c.offsetAfter);
    EXPECT_EQ(reader.Remaining(), c.bytes.size() - c.offsetAfter);
    EXPECT_EQ(reader.AtEnd(), c.offsetAfter == c.bytes.size());
    EXPECT_EQ(reader.Rest(), std::string_view(c.bytes).substr(c.offsetAfter));
  }
}

// A record as the player replies carry it: index, name, frags, then a float.
TEST(ByteReaderTest, WalksARecordToItsEnd) {
  const std::string record = "\x01"
                             "Bob\0\xFE\xFF\xFF\xFF\x00\x00\x80\x3F"s;
  TByteReader reader(record);
  EXPECT_EQ(reader.ReadUint8(), 1);
  EXPECT_EQ(reader.ReadCString(), "Bob");
  EXPECT_EQ(reader.ReadInt32LE(), -2);
  EXPECT_EQ(reader.Remaining(), 4u);
  EXPECT_EQ(reader.Rest(), "\x00\x00\x80\x3F"s);
  EXPECT_EQ(reader.ReadBytes(4), "\x00\x00\x80\x3F"s);
  EXPECT_TRUE(reader.AtEnd());
  EXPECT_THROW(reader.ReadUint8(), ERangeError);
}

} // namespace
