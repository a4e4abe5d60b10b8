#include "protocols/server_ut.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "util/ByteReader.h"
#include "util/text.h"

namespace {

constexpr std::string_view kPlayerKey = "\\player_";
constexpr std::string_view kFragsKey = "\\frags_";
constexpr std::string_view kQueryIdPrefix = "queryid=";
constexpr int32_t kHighestPacketNumber = 15;
// A real answer has a few hundred lines; a peer that keeps sending fragments of
// one answer that never completes must not grow the store without end.
constexpr std::size_t kMaxStoredLines = 16384;

// The pairs as text: every key opens a new CR LF line, its closing backslash
// becomes "=". A player name runs up to the next "\frags_", so names that
// contain backslashes arrive whole.
std::string PairsAsText(std::string_view bytes) {
  std::string text;
  std::string key; // the current key with its opening backslash
  bool inKey = false;
  // One search for "\frags_" serves every player name that starts before the
  // place found, so a reply full of player keys is still read in linear time.
  bool fragsSearched = false;
  std::size_t nextFrags = std::string_view::npos;
  TByteReader reader(bytes);
  while (!reader.AtEnd()) {
    const char c = static_cast<char>(reader.ReadUint8());
    if (c == '\\') {
      inKey = !inKey;
      if (inKey) {
        text += "\r\n";
        key.clear();
      } else {
        text += '=';
        if (key.size() > kPlayerKey.size() && key.starts_with(kPlayerKey)) {
          const std::size_t nameStart = reader.Offset();
          if (!fragsSearched || (nextFrags != std::string_view::npos && nextFrags < nameStart)) {
            nextFrags = bytes.find(kFragsKey, nameStart);
            fragsSearched = true;
          }
          if (nextFrags != std::string_view::npos) {
            text += reader.ReadBytes(nextFrags - nameStart);
            continue;
          }
        }
      }
    } else {
      text += c;
    }
    if (inKey)
      key += c;
  }
  return text;
}

// Line names are compared without regard to case, and the first line of a
// name wins; a line without "=" has no name.
class TPairLookup {
public:
  explicit TPairLookup(const std::vector<std::string>& lines) {
    for (const std::string& line : lines)
      if (const std::size_t equals = line.find('='); equals != std::string::npos)
        values_.emplace(UpperAscii(line.substr(0, equals)), line.substr(equals + 1));
  }
  // Empty for a name no line has.
  std::string Value(const std::string& name) const {
    const auto it = values_.find(UpperAscii(name));
    return it == values_.end() ? std::string() : it->second;
  }

private:
  std::unordered_map<std::string, std::string> values_;
};

struct TQueryId {
  int32_t answerId;
  char packetDigit; // '1' to '9'
};

// "<answer id>.<packet number>": decimal digits, a dot and one digit from 1
// up, as servers number the packets of an answer.
std::optional<TQueryId> ReadQueryId(const std::string& value) {
  if (value.size() < 3 || value[value.size() - 2] != '.')
    return std::nullopt;
  const char packetDigit = value.back();
  const std::string answerId = value.substr(0, value.size() - 2);
  if (packetDigit < '1' || packetDigit > '9' ||
      !std::all_of(answerId.begin(), answerId.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  const std::optional<int32_t> id = TryTextToInt(answerId);
  if (!id)
    return std::nullopt;
  return TQueryId{*id, packetDigit};
}

// The datagrams are the same for every address of the game: one table for all.
const std::vector<std::string>& QuerySteps() {
  static const std::vector<std::string> steps{"\\status\\"};
  return steps;
}

} // namespace

TQueryUT::TQueryUT() : TTableQuery(QuerySteps(), kNoPerServerStep, false) {
}

void TServerUT::Reset() {
  fragmentStore_.clear();
  answerId_ = 0;
  finalPacket_ = 0;
  receivedPackets_ = 0;
}

int32_t TServerUT::Parse(int32_t, const std::string& bytes, int32_t, intptr_t& challenge,
                         bool& listed) {
  listed = true;
  challenge = 0;
  // Every datagram of an answer is a run of pairs, so it opens with a backslash.
  if (!bytes.starts_with('\\'))
    return SKARVEL_PARSE_NOT_OURS;

  std::vector<std::string> lines = SplitLines(PairsAsText(bytes));
  // Without an answer id and packet number the datagram belongs to no answer:
  // whatever sent it, it is no reply of a server.
  const std::optional<TQueryId> queryId = ReadQueryId(TPairLookup(lines).Value("queryid"));
  if (!queryId)
    return SKARVEL_PARSE_NOT_OURS;
  const char packetDigit = queryId->packetDigit;

  if (receivedPackets_ == 0)
    answerId_ = queryId->answerId;
  else if (queryId->answerId != answerId_)
    return SKARVEL_PARSE_PARTIAL; // a late packet of an older answer

  if (fragmentStore_.size() + lines.size() > kMaxStoredLines)
    return SKARVEL_PARSE_PARTIAL;

  const int32_t packet = packetDigit - '0';
  receivedPackets_ |= static_cast<uint16_t>(1u << packet);
  const bool isFinal = !lines.empty() && lines.back() == "final=";
  InsertInPacketOrder(std::move(lines), packetDigit);
  if (isFinal)
    finalPacket_ = packet;
  if (!AllPacketsIn())
    return SKARVEL_PARSE_PARTIAL;

  const std::vector<std::string> answer = std::exchange(fragmentStore_, {});
  Deliver(answer);
  return SKARVEL_PARSE_COMPLETE;
}

// A packet goes behind the last packet with a smaller number, whose
// "queryid" line closes it.
void TServerUT::InsertInPacketOrder(std::vector<std::string> lines, char packetDigit) {
  std::size_t insertAt = 0;
  for (std::size_t i = 0; i < fragmentStore_.size(); ++i) {
    const std::string& line = fragmentStore_[i];
    if (line.size() > kQueryIdPrefix.size() && line.starts_with(kQueryIdPrefix) &&
        static_cast<unsigned char>(line.back()) < static_cast<unsigned char>(packetDigit))
      insertAt = i + 1;
  }
  fragmentStore_.insert(fragmentStore_.begin() + static_cast<std::ptrdiff_t>(insertAt),
                        std::make_move_iterator(lines.begin()),
                        std::make_move_iterator(lines.end()));
}

bool TServerUT::AllPacketsIn() const {
  if (finalPacket_ == 0)
    return false;
  for (int32_t packet = 1; packet <= finalPacket_; ++packet)
    if (packet > kHighestPacketNumber || (receivedPackets_ & (1u << packet)) == 0)
      return false;
  return true;
}

void TServerUT::Deliver(const std::vector<std::string>& lines) {
  const TPairLookup pairs(lines);
  SetInfoList({pairs.Value("hostname"), pairs.Value("mapname"), pairs.Value("fraglimit"),
               pairs.Value("numplayers"), pairs.Value("maxplayers")});
  for (int32_t n = 0;; ++n) {
    const std::string number = std::to_string(n);
    const std::string name = pairs.Value("player_" + number);
    if (name.empty())
      break;
    AddPlayer(name, pairs.Value("frags_" + number));
  }
}
