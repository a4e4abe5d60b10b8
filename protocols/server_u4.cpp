#include "protocols/server_u4.h"

#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "util/ByteReader.h"
#include "util/display_text.h"
#include "util/utf16.h"

namespace {

// The marker and three zero bytes; the reply type follows.
constexpr std::string_view kReplyHeader{"\x80\x00\x00\x00", 4};
constexpr uint8_t kServerInfoReply = 0;
constexpr uint8_t kRulesReply = 1;
constexpr uint8_t kPlayersReply = 2;
// Server id, an empty address text and the two ports come before the name.
constexpr std::size_t kBytesBeforeServerName = 13;
// Entries whose name opens with this colour code (ESC, then RGB 10, 245, 10)
// are left off the player list.
constexpr std::string_view kHiddenPlayerPrefix = "\x1B\x0A\xF5\x0A";
// The converted text and its NUL must fit the buffer the game's texts are
// converted into.
constexpr std::size_t kConvertedTextBuffer = 128;

// UTF-16 little-endian up to its NUL unit as UTF-8, the local encoding; an
// unpaired surrogate becomes U+FFFD, as the platform converters make it.
std::string Utf16LeToLocal(std::string_view bytes) {
  TByteReader units(bytes);
  std::string text;
  while (units.Remaining() >= 2) {
    uint32_t code = units.ReadUint16LE();
    if (code == 0)
      break;
    if (IsHighSurrogate(code) && units.Remaining() >= 2) {
      TByteReader ahead = units;
      const uint32_t next = ahead.ReadUint16LE();
      if (IsLowSurrogate(next)) {
        code = SurrogatePairCode(code, next);
        units = ahead;
      }
    }
    if (IsHighSurrogate(code) || IsLowSurrogate(code))
      code = 0xFFFD;
    AppendUtf8(text, code);
  }
  return text;
}

std::size_t Utf8SequenceLength(unsigned char lead) {
  if (lead >= 0xF0)
    return 4;
  if (lead >= 0xE0)
    return 3;
  if (lead >= 0xC0)
    return 2;
  return 1;
}

// "^#" and the character after it are a markup the game shows as nothing.
void DropCaretHashCodes(std::string& text) {
  for (std::size_t i = 0; i + 2 < text.size();) {
    if (text[i] == '^' && text[i + 1] == '#')
      text.erase(i, 2 + Utf8SequenceLength(static_cast<unsigned char>(text[i + 2])));
    else
      ++i;
  }
}

// A length byte, then below 0x80 that many bytes of 8-bit text with its NUL,
// from 0x80 on (length - 0x80) UTF-16 units with their NUL. A field the
// datagram ends inside, or a text without its NUL, raises ERangeError.
std::string ReadCompactText(TByteReader& reader) {
  const uint8_t length = reader.ReadUint8();
  const bool wide = length >= 0x80;
  const std::string_view field = reader.ReadBytes(wide ? (length - 0x80u) * 2u : length);
  // The length counts the text's NUL, so a text that has one ends with it.
  if (!field.empty() &&
      field.substr(field.size() - (wide ? 2 : 1)).find_first_not_of('\0') != std::string_view::npos)
    throw ERangeError("compact text: no NUL where its length ends");
  if (!wide)
    return std::string(field.substr(0, field.empty() ? 0 : field.size() - 1));
  std::string text = Utf16LeToLocal(field);
  if (text.size() + 1 > kConvertedTextBuffer)
    return {};
  DropCaretHashCodes(text);
  return text;
}

// The datagrams are the same for every address of the game: one table for all.
const std::vector<std::string>& QuerySteps() {
  static const std::vector<std::string> steps{std::string("\x78\x00\x00\x00\x00", 5),
                                              std::string("\x78\x00\x00\x00\x02", 5),
                                              std::string("\x78\x00\x00\x00\x01", 5)};
  return steps;
}

} // namespace

TQueryU4::TQueryU4() : TTableQuery(QuerySteps(), kNoPerServerStep, false) {
}

int32_t TServerU4::Parse(int32_t, const std::string& bytes, int32_t, intptr_t& challenge,
                         bool& listed) {
  listed = true;
  challenge = 0;
  TByteReader reader(bytes);
  if (reader.Remaining() <= kReplyHeader.size() ||
      reader.ReadBytes(kReplyHeader.size()) != kReplyHeader)
    return SKARVEL_PARSE_NOT_OURS;
  // Each reply is read whole before anything of it is handed over: one cut
  // inside a field, or with bytes left that make no whole entry, is no reply.
  try {
    switch (reader.ReadUint8()) {
    case kServerInfoReply:
      ParseServerInfo(reader);
      return SKARVEL_PARSE_COMPLETE;
    case kRulesReply:
      ParseRules(reader);
      return SKARVEL_PARSE_COMPLETE;
    case kPlayersReply:
      ParsePlayers(reader);
      return SKARVEL_PARSE_COMPLETE;
    default:
      return SKARVEL_PARSE_NOT_OURS;
    }
  } catch (const ERangeError&) {
    return SKARVEL_PARSE_NOT_OURS;
  }
}

// The fields after the counts (ping, flags, skill) are not read.
void TServerU4::ParseServerInfo(TByteReader& reader) {
  reader.Skip(kBytesBeforeServerName);
  const std::string name = ReadCompactText(reader);
  const std::string map = ReadCompactText(reader);
  ReadCompactText(reader); // game type
  const int32_t players = reader.ReadInt32LE();
  const int32_t maxPlayers = reader.ReadInt32LE();
  SetInfo(SKARVEL_INFO_NAME, name);
  SetInfo(SKARVEL_INFO_MAP, map);
  SetInfo(SKARVEL_INFO_PLAYERS, std::to_string(players));
  SetInfo(SKARVEL_INFO_MAX_PLAYERS, std::to_string(maxPlayers));
}

void TServerU4::ParseRules(TByteReader& reader) {
  std::optional<std::string> goalScore;
  while (!reader.AtEnd()) {
    const std::string key = ReadCompactText(reader);
    std::string value = ReadCompactText(reader);
    if (key == "GoalScore" && !goalScore)
      goalScore = std::move(value);
  }
  if (goalScore)
    SetInfo(SKARVEL_INFO_FRAG_LIMIT, *goalScore);
}

void TServerU4::ParsePlayers(TByteReader& reader) {
  std::vector<std::pair<std::string, int32_t>> players;
  while (!reader.AtEnd()) {
    reader.Skip(4); // player number
    std::string name = ReadCompactText(reader);
    reader.Skip(4); // ping
    const int32_t score = reader.ReadInt32LE();
    reader.Skip(4); // statistics id
    if (!name.starts_with(kHiddenPlayerPrefix))
      players.emplace_back(std::move(name), score);
  }
  for (const auto& [name, score] : players)
    AddPlayer(name, std::to_string(score));
}
