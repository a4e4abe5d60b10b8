#include "SourceSplitJoin.h"

#include "ReplyReader.h"

#include <gtest/gtest.h>

#include <map>

std::string JoinSourceParts(const std::vector<std::string>& parts, std::size_t maxDatagram) {
  std::map<int, std::string> payloads;
  int32_t id = 0;
  int total = 0;
  int16_t size = 0;
  for (const std::string& part : parts) {
    EXPECT_LE(part.size(), maxDatagram);
    if (!part.starts_with("\xFE\xFF\xFF\xFF")) {
      ADD_FAILURE() << "not a part of a split reply";
      return {};
    }
    ReplyReader reader(part, 4);
    const int32_t partId = reader.Int32();
    const int partTotal = reader.Byte();
    const int number = reader.Byte();
    const int16_t partSize = reader.Int16();
    if (payloads.empty()) {
      id = partId;
      total = partTotal;
      size = partSize;
    }
    EXPECT_EQ(partId, id);
    EXPECT_EQ(partTotal, total);
    EXPECT_EQ(partSize, size);
    EXPECT_GE(id, 0) << "the high bit announces a compressed reply";
    EXPECT_LT(number, total);
    EXPECT_LE(part.size() - reader.Cursor(), static_cast<std::size_t>(size));
    EXPECT_TRUE(payloads.emplace(number, part.substr(reader.Cursor())).second)
        << "part " << number << " came twice";
  }
  if (static_cast<int>(payloads.size()) != total || testing::Test::HasFailure())
    return {};
  std::string joined;
  for (const auto& [number, payload] : payloads)
    joined += payload;
  return joined;
}
