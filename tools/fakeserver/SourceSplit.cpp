#include "tools/fakeserver/SourceSplit.h"

#include "tools/fakeserver/ByteWriter.h"

namespace {

constexpr std::size_t kMaxParts = 255;
constexpr uint32_t kCompressedBit = 0x80000000u;

} // namespace

std::vector<std::string> SplitSourceReply(const std::string& reply, std::size_t maxDatagram,
                                          uint32_t id) {
  if (reply.size() <= maxDatagram)
    return {reply};
  if (maxDatagram <= kSourceSplitHeaderSize)
    return {};
  const std::size_t payload = maxDatagram - kSourceSplitHeaderSize;
  const std::size_t total = (reply.size() + payload - 1) / payload;
  if (total > kMaxParts || payload > 0xFFFF)
    return {};
  std::vector<std::string> parts;
  for (std::size_t number = 0; number < total; ++number) {
    ByteWriter part;
    part.Raw(std::string_view("\xFE\xFF\xFF\xFF", 4));
    part.Int32(static_cast<int32_t>(id & ~kCompressedBit));
    part.Byte(static_cast<uint8_t>(total)).Byte(static_cast<uint8_t>(number));
    part.Int16(static_cast<int16_t>(static_cast<uint16_t>(payload)));
    part.Raw(std::string_view(reply).substr(number * payload, payload));
    parts.push_back(part.Bytes());
  }
  return parts;
}
