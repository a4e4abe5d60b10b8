#include "protocols/HalfLife.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "util/ByteReader.h"
#include "util/text.h"

namespace {

// Steps of the handshake protocols.
constexpr int32_t kChallengeStep = 0;
constexpr int32_t kInfoStep = 1;
constexpr int32_t kPlayerStep = 2;

constexpr std::string_view kReplyMarker = "\xFF\xFF\xFF\xFF";
constexpr std::size_t kChallengeLength = 4;

// A reader past the marker and the type byte when the datagram opens with
// them.
std::optional<TByteReader> OpenReply(const std::string& bytes, char type) {
  TByteReader reader(bytes);
  if (reader.Remaining() <= kReplyMarker.size() ||
      reader.ReadBytes(kReplyMarker.size()) != kReplyMarker ||
      reader.ReadUint8() != static_cast<uint8_t>(type))
    return std::nullopt;
  return reader;
}

bool IsOurGame(const THalfLifeVariant& variant, std::string_view folder,
               std::string_view description, uint16_t applicationId) {
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
  std::optional<TByteReader> reader = OpenReply(bytes, oldFormat ? 'm' : 'I');
  if (!reader)
    return SKARVEL_PARSE_NOT_OURS;
  try {
    if (oldFormat)
      reader->ReadCString(); // server address
    else
      reader->Skip(1); // protocol version
    const std::string name(reader->ReadCString());
    const std::string map(reader->ReadCString());
    const std::string_view folder = reader->ReadCString();
    const std::string_view description = reader->ReadCString();
    const uint16_t applicationId = oldFormat ? 0 : reader->ReadUint16LE();
    if (!IsOurGame(variant, folder, description, applicationId))
      return SKARVEL_PARSE_NOT_OURS;
    const uint8_t players = reader->ReadUint8();
    const uint8_t maxPlayers = reader->ReadUint8();
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
  std::optional<TByteReader> reader = OpenReply(bytes, 'D');
  if (!reader)
    return SKARVEL_PARSE_NOT_OURS;
  uint8_t count = 0;
  std::vector<std::pair<std::string, int32_t>> players;
  try {
    count = reader->ReadUint8();
    while (players.size() < count && !reader->AtEnd()) {
      reader->Skip(1); // index
      std::string name(reader->ReadCString());
      const int32_t frags = reader->ReadInt32LE();
      reader->Skip(4); // play time
      players.emplace_back(std::move(name), frags);
    }
  } catch (const ERangeError&) {
    return SKARVEL_PARSE_NOT_OURS;
  }
  if (!reader->AtEnd())
    return SKARVEL_PARSE_NOT_OURS;
  if (variant.playerCountFromPlayerReply)
    SetInfo(SKARVEL_INFO_PLAYERS, std::to_string(count));
  for (auto& [name, frags] : players)
    AddPlayer(variant.utf8Names ? Utf8ToAcp(name) : name, std::to_string(frags));
  return SKARVEL_PARSE_COMPLETE;
}

namespace {

// The datagrams are the same for every address of the game: one table for all.
const std::vector<std::string>& QuerySteps() {
  static const std::vector<std::string> steps{
      std::string("\xFF\xFF\xFF\xFFW"), std::string("\xFF\xFF\xFF\xFFTSource Engine Query\0", 25),
      std::string("\xFF\xFF\xFF\xFFU")};
  return steps;
}

} // namespace

THalfLifeHandshakeQuery::THalfLifeHandshakeQuery() : TTableQuery(QuerySteps(), kPlayerStep, true) {
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
  std::optional<TByteReader> reader = OpenReply(bytes, 'A');
  if (!reader || reader->Remaining() != kChallengeLength)
    return SKARVEL_PARSE_NOT_OURS;
  std::ranges::copy(reader->ReadBytes(kChallengeLength), challengeBytes_.begin());
  challenge = reinterpret_cast<intptr_t>(challengeBytes_.data());
  return SKARVEL_PARSE_COMPLETE;
}
