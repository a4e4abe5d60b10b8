#include "protocols/HalfLife.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "util/cursor_readers.h"
#include "util/text.h"

namespace {

// Steps of the handshake protocols.
constexpr int32_t kChallengeStep = 0;
constexpr int32_t kInfoStep = 1;
constexpr int32_t kPlayerStep = 2;

constexpr std::size_t kTypeOffset = 4; // after the four 0xFF bytes
constexpr std::size_t kFirstFieldCursor = 6;
constexpr std::size_t kChallengeLength = 4;

// Only replies longer than minimumSize count, so the byte after the type is
// always there.
bool IsReply(const std::string& bytes, char type, std::size_t minimumSize) {
  return bytes.size() > minimumSize && bytes.compare(0, kTypeOffset, "\xFF\xFF\xFF\xFF") == 0 &&
         bytes[kTypeOffset] == type;
}

// Bounds-checked like the other cursor readers: ERangeError past the end.
uint8_t TakeByte(const std::string& bytes, std::size_t& cursor) {
  if (cursor < 1 || cursor > bytes.size())
    throw ERangeError("TakeByte: cursor past the end");
  return static_cast<uint8_t>(bytes[cursor++ - 1]);
}

uint16_t TakeUint16(const std::string& bytes, std::size_t& cursor) {
  const uint8_t low = TakeByte(bytes, cursor);
  return static_cast<uint16_t>(low | TakeByte(bytes, cursor) << 8);
}

bool IsOurGame(const THalfLifeVariant& variant, const std::string& folder,
               const std::string& description, uint16_t applicationId) {
  if (description == variant.gameDescription)
    return true;
  return folder == variant.gameFolder &&
         (variant.infoFormat == THalfLifeInfoFormat::Old || applicationId == variant.applicationId);
}

} // namespace

// Every field is read and the game checked before anything is handed over:
// a reply cut inside a field, or of another game, delivers nothing. The
// fields after the counts are not read.
int32_t THalfLifeServer::ParseInfoReply(const std::string& bytes, const THalfLifeVariant& variant) {
  const bool oldFormat = variant.infoFormat == THalfLifeInfoFormat::Old;
  if (!IsReply(bytes, oldFormat ? 'm' : 'I', kTypeOffset + 1))
    return SKARVEL_PARSE_NOT_OURS;
  try {
    std::size_t cursor = kFirstFieldCursor;
    if (oldFormat)
      TakeCString(bytes, cursor); // server address
    else
      ++cursor; // protocol version
    const std::string name = TakeCString(bytes, cursor);
    const std::string map = TakeCString(bytes, cursor);
    const std::string folder = TakeCString(bytes, cursor);
    const std::string description = TakeCString(bytes, cursor);
    const uint16_t applicationId = oldFormat ? 0 : TakeUint16(bytes, cursor);
    if (!IsOurGame(variant, folder, description, applicationId))
      return SKARVEL_PARSE_NOT_OURS;
    const uint8_t players = TakeByte(bytes, cursor);
    const uint8_t maxPlayers = TakeByte(bytes, cursor);
    SetInfo(SKARVEL_INFO_NAME, name);
    SetInfo(SKARVEL_INFO_MAP, map);
    SetInfo(SKARVEL_INFO_FRAG_LIMIT, variant.fragLimit);
    if (!variant.playerCountFromPlayerReply)
      SetInfo(SKARVEL_INFO_PLAYERS, std::to_string(players));
    SetInfo(SKARVEL_INFO_MAX_PLAYERS, std::to_string(maxPlayers));
    return SKARVEL_PARSE_COMPLETE;
  } catch (const ERangeError&) {
    return SKARVEL_PARSE_NOT_OURS;
  }
}

// Whole records fill the datagram exactly: the list ends where the datagram
// ends, also before the count is reached, and a record cut short or bytes
// behind the last counted record make it no player reply. It is read whole
// before any player is handed over.
int32_t THalfLifeServer::ParsePlayerReply(const std::string& bytes,
                                          const THalfLifeVariant& variant) {
  if (!IsReply(bytes, 'D', kTypeOffset + 1))
    return SKARVEL_PARSE_NOT_OURS;
  const uint8_t count = static_cast<uint8_t>(bytes[kTypeOffset + 1]);
  const std::size_t end = bytes.size() + 1; // the 1-based cursor just past the datagram
  std::size_t cursor = kFirstFieldCursor + 1;
  std::vector<std::pair<std::string, int32_t>> players;
  try {
    while (players.size() < count && cursor < end) {
      TakeByte(bytes, cursor); // index
      std::string name = TakeCString(bytes, cursor);
      const int32_t frags = TakeInt32(bytes, cursor);
      TakeInt32(bytes, cursor); // play time
      players.emplace_back(std::move(name), frags);
    }
  } catch (const ERangeError&) {
    return SKARVEL_PARSE_NOT_OURS;
  }
  if (cursor != end)
    return SKARVEL_PARSE_NOT_OURS;
  if (variant.playerCountFromPlayerReply)
    SetInfo(SKARVEL_INFO_PLAYERS, std::to_string(count));
  for (auto& [name, frags] : players)
    AddPlayer(variant.utf8Names ? Utf8ToAcp(name) : name, std::to_string(frags));
  return SKARVEL_PARSE_COMPLETE;
}

THalfLifeHandshakeQuery::THalfLifeHandshakeQuery()
    : TTableQuery({std::string("\xFF\xFF\xFF\xFFW"),
                   std::string("\xFF\xFF\xFF\xFFTSource Engine Query\0", 25),
                   std::string("\xFF\xFF\xFF\xFFU")},
                  kPlayerStep, true) {
}

THalfLifeHandshakeServer::THalfLifeHandshakeServer(const TServerCallbacks& callbacks,
                                                   const THalfLifeVariant& variant)
    : THalfLifeServer(callbacks), variant_(variant) {
}

// A server stays pending until an info or player reply shows it is one of ours.
int32_t THalfLifeHandshakeServer::Parse(int32_t step, const std::string& bytes, int32_t,
                                        intptr_t& challenge, bool& listed) {
  challenge = 0;
  listed = false;
  int32_t result = SKARVEL_PARSE_NOT_OURS;
  switch (step) {
  case kChallengeStep:
    return ParseChallengeReply(bytes, challenge);
  case kInfoStep:
    result = ParseInfoReply(bytes, variant_);
    break;
  case kPlayerStep:
    result = ParsePlayerReply(bytes, variant_);
    break;
  default:
    return SKARVEL_PARSE_NOT_OURS;
  }
  listed = result == SKARVEL_PARSE_COMPLETE;
  return result;
}

int32_t THalfLifeHandshakeServer::ParseChallengeReply(const std::string& bytes,
                                                      intptr_t& challenge) {
  // The type and the four challenge bytes, nothing more.
  if (bytes.size() != kTypeOffset + 1 + kChallengeLength || !IsReply(bytes, 'A', kTypeOffset))
    return SKARVEL_PARSE_NOT_OURS;
  std::copy_n(bytes.begin() + kTypeOffset + 1, kChallengeLength, challengeBytes_.begin());
  challenge = reinterpret_cast<intptr_t>(challengeBytes_.data());
  return SKARVEL_PARSE_COMPLETE;
}
