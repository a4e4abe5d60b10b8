#include "protocols/server_u4.h"

#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "util/cursor_readers.h"

namespace {

// The marker and three zero bytes; the reply type follows.
constexpr std::string_view kReplyHeader{"\x80\x00\x00\x00", 4};
constexpr std::size_t kHeaderSize = 5;
constexpr unsigned char kServerInfoReply = 0;
constexpr unsigned char kRulesReply = 1;
constexpr unsigned char kPlayersReply = 2;
// Server id, an empty address text and the two ports come before the name.
constexpr std::size_t kServerNameOffset = 18;
// Entries whose name opens with this colour code (ESC, then RGB 10, 245, 10)
// are left off the player list.
constexpr std::string_view kHiddenPlayerPrefix = "\x1B\x0A\xF5\x0A";
// The converted text and its NUL must fit the buffer the game's texts are
// converted into.
constexpr std::size_t kConvertedTextBuffer = 128;

void AppendUtf8(std::string& text, uint32_t code) {
  if (code < 0x80) {
    text += static_cast<char>(code);
  } else if (code < 0x800) {
    text += static_cast<char>(0xC0 | code >> 6);
    text += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    text += static_cast<char>(0xE0 | code >> 12);
    text += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    text += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    text += static_cast<char>(0xF0 | code >> 18);
    text += static_cast<char>(0x80 | (code >> 12 & 0x3F));
    text += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    text += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// UTF-16 little-endian up to its NUL unit as UTF-8, the local encoding; an
// unpaired surrogate becomes U+FFFD, as the platform converters make it.
std::string Utf16LeToLocal(std::string_view bytes) {
  const std::size_t units = bytes.size() / 2;
  const auto unit = [&](std::size_t i) -> uint32_t {
    return static_cast<unsigned char>(bytes[2 * i]) |
           static_cast<uint32_t>(static_cast<unsigned char>(bytes[2 * i + 1])) << 8;
  };
  const auto isHigh = [](uint32_t u) { return u >= 0xD800 && u <= 0xDBFF; };
  const auto isLow = [](uint32_t u) { return u >= 0xDC00 && u <= 0xDFFF; };
  std::string text;
  for (std::size_t i = 0; i < units && unit(i) != 0; ++i) {
    uint32_t code = unit(i);
    if (isHigh(code) && i + 1 < units && isLow(unit(i + 1)))
      code = 0x10000 + ((code - 0xD800) << 10) + (unit(++i) - 0xDC00);
    else if (isHigh(code) || isLow(code))
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

// Reads the fields of one reply. Every read checks the bounds and raises
// ERangeError for a field the datagram ends inside or a text without its NUL.
class TReplyReader {
public:
  TReplyReader(const std::string& bytes, std::size_t offset) : bytes_(bytes), cursor_(offset + 1) {}

  std::size_t Remaining() const {
    return cursor_ <= bytes_.size() ? bytes_.size() - (cursor_ - 1) : 0;
  }
  void Skip(std::size_t count) {
    if (Remaining() < count)
      throw ERangeError("skip: the field runs past the reply");
    cursor_ += count;
  }
  int32_t Int32() { return TakeInt32(bytes_, cursor_); }

  // A length byte, then below 0x80 that many bytes of 8-bit text with its
  // NUL, from 0x80 on (length - 0x80) UTF-16 units with their NUL.
  std::string CompactText() {
    if (Remaining() == 0)
      throw ERangeError("compact text: no length byte");
    const unsigned char length = static_cast<unsigned char>(bytes_[cursor_ - 1]);
    const std::size_t start = cursor_; // the byte after the length byte, 0-based
    const bool wide = length >= 0x80;
    const std::size_t fieldSize = wide ? (length - 0x80u) * 2u : length;
    if (bytes_.size() - start < fieldSize)
      throw ERangeError("compact text: the field runs past the reply");
    cursor_ += fieldSize + 1;
    const std::string_view field = std::string_view(bytes_).substr(start, fieldSize);
    // The length counts the text's NUL, so a text that has one ends with it.
    if (!field.empty() && field.substr(field.size() - (wide ? 2 : 1)).find_first_not_of('\0') !=
                              std::string_view::npos)
      throw ERangeError("compact text: no NUL where its length ends");
    if (!wide)
      return std::string(field.substr(0, fieldSize == 0 ? 0 : fieldSize - 1));
    std::string text = Utf16LeToLocal(field);
    if (text.size() + 1 > kConvertedTextBuffer)
      return {};
    DropCaretHashCodes(text);
    return text;
  }

private:
  const std::string& bytes_;
  std::size_t cursor_; // 1-based, as the shared byte readers count
};

} // namespace

TQueryU4::TQueryU4()
    : TTableQuery({std::string("\x78\x00\x00\x00\x00", 5), std::string("\x78\x00\x00\x00\x02", 5),
                   std::string("\x78\x00\x00\x00\x01", 5)},
                  kNoPerServerStep, false) {
}

int32_t TServerU4::Parse(int32_t, const std::string& bytes, int32_t, intptr_t& challenge,
                         bool& listed) {
  listed = true;
  challenge = 0;
  if (bytes.size() < kHeaderSize || !bytes.starts_with(kReplyHeader))
    return SKARVEL_PARSE_NOT_OURS;
  // Each reply is read whole before anything of it is handed over: one cut
  // inside a field, or with bytes left that make no whole entry, is no reply.
  try {
    switch (static_cast<unsigned char>(bytes[4])) {
    case kServerInfoReply:
      ParseServerInfo(bytes);
      return SKARVEL_PARSE_COMPLETE;
    case kRulesReply:
      ParseRules(bytes);
      return SKARVEL_PARSE_COMPLETE;
    case kPlayersReply:
      ParsePlayers(bytes);
      return SKARVEL_PARSE_COMPLETE;
    default:
      return SKARVEL_PARSE_NOT_OURS;
    }
  } catch (const ERangeError&) {
    return SKARVEL_PARSE_NOT_OURS;
  }
}

// The fields after the counts (ping, flags, skill) are not read.
void TServerU4::ParseServerInfo(const std::string& bytes) {
  TReplyReader reader(bytes, kServerNameOffset);
  const std::string name = reader.CompactText();
  const std::string map = reader.CompactText();
  reader.CompactText(); // game type
  const int32_t players = reader.Int32();
  const int32_t maxPlayers = reader.Int32();
  SetInfo(SKARVEL_INFO_NAME, name);
  SetInfo(SKARVEL_INFO_MAP, map);
  SetInfo(SKARVEL_INFO_PLAYERS, std::to_string(players));
  SetInfo(SKARVEL_INFO_MAX_PLAYERS, std::to_string(maxPlayers));
}

void TServerU4::ParseRules(const std::string& bytes) {
  TReplyReader reader(bytes, kHeaderSize);
  std::optional<std::string> goalScore;
  while (reader.Remaining() > 0) {
    const std::string key = reader.CompactText();
    std::string value = reader.CompactText();
    if (key == "GoalScore" && !goalScore)
      goalScore = std::move(value);
  }
  if (goalScore)
    SetInfo(SKARVEL_INFO_FRAG_LIMIT, *goalScore);
}

void TServerU4::ParsePlayers(const std::string& bytes) {
  TReplyReader reader(bytes, kHeaderSize);
  std::vector<std::pair<std::string, int32_t>> players;
  while (reader.Remaining() > 0) {
    reader.Skip(4); // player number
    std::string name = reader.CompactText();
    reader.Skip(4); // ping
    const int32_t score = reader.Int32();
    reader.Skip(4); // statistics id
    if (!name.starts_with(kHiddenPlayerPrefix))
      players.emplace_back(std::move(name), score);
  }
  for (const auto& [name, score] : players)
    AddPlayer(name, std::to_string(score));
}
