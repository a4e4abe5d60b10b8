#include "tools/fakeserver/Ut2004Replies.h"

#include "tools/fakeserver/ByteWriter.h"
#include "tools/fakeserver/TextEncoding.h"
#include "util/ByteReader.h"

#include <algorithm>
#include <optional>
#include <string_view>

namespace {

constexpr std::size_t kQuerySize = 5;
constexpr std::string_view kRequestZeros{"\x00\x00\x00", 3};
constexpr std::string_view kReplyHeader{"\x80\x00\x00\x00", 4};
constexpr uint8_t kServerInfo = 0;
constexpr uint8_t kRules = 1;
constexpr uint8_t kPlayers = 2;
constexpr uint8_t kRulesAndPlayers = 3;

// Clients start a query with 0x78 or 0x79 (the server answers both alike),
// then three zero bytes and the reply type asked for. Nothing for any other
// request.
std::optional<uint8_t> RequestedType(std::string_view request) {
  if (request.size() != kQuerySize)
    return std::nullopt;
  TByteReader reader(request);
  const uint8_t start = reader.ReadUint8();
  if ((start != 0x78 && start != 0x79) || reader.ReadBytes(kRequestZeros.size()) != kRequestZeros)
    return std::nullopt;
  return reader.ReadUint8();
}

// The engine's string: a length byte counting the terminating NUL, then the
// bytes. A text with non-ASCII letters goes as UTF-16LE instead, its length
// byte 0x80 plus the number of 16-bit units, NUL included. An empty text is
// the length byte 0 alone.
void CompactText(ByteWriter& out, std::string_view utf8) {
  if (utf8.empty()) {
    out.Byte(0);
    return;
  }
  if (IsAscii(utf8)) {
    const std::string_view text = utf8.substr(0, 126);
    out.Byte(static_cast<uint8_t>(text.size() + 1)).CString(text);
    return;
  }
  std::u16string utf16 = Utf8ToUtf16(utf8);
  utf16.resize(std::min<std::size_t>(utf16.size(), 126));
  out.Byte(static_cast<uint8_t>(0x80 + utf16.size() + 1));
  for (char16_t unit : utf16)
    out.Int16(static_cast<int16_t>(unit));
  out.Int16(0);
}

std::string ServerInfo(const ServerState& state) {
  ByteWriter out;
  out.Raw(kReplyHeader).Byte(kServerInfo);
  out.Int32(0);         // server id, given out by the master server
  CompactText(out, ""); // the server's address is filled in by the master server
  out.Int32(state.GamePort()).Int32(state.QueryPort());
  CompactText(out, state.Name());
  CompactText(out, state.Map());
  CompactText(out, "xDeathMatch");
  out.Int32(static_cast<int32_t>(state.Players().size())).Int32(state.MaxPlayers());
  out.Int32(0);          // ping
  out.Int32(0);          // server flags
  CompactText(out, "3"); // skill level
  return out.Bytes();
}

std::string Rules(const ServerState& state) {
  ByteWriter out;
  out.Raw(kReplyHeader).Byte(kRules);
  auto rule = [&out](std::string_view key, const std::string& value) {
    CompactText(out, key);
    CompactText(out, value);
  };
  rule("ServerMode", "dedicated");
  rule("ServerVersion", "3369");
  rule("GameStats", "False");
  rule("MaxSpectators", "2");
  rule("GoalScore", std::to_string(state.FragLimit()));
  rule("TimeLimit", std::to_string(state.TimeLimitMinutes()));
  rule("MinPlayers", "0");
  rule("Translocator", "True");
  rule("Mutator", "MutUseSuperWeapons");
  return out.Bytes();
}

std::string Players(const ServerState& state) {
  ByteWriter out;
  out.Raw(kReplyHeader).Byte(kPlayers);
  int id = 0;
  for (const PlayerRecord& player : state.Players()) {
    out.Int32(++id);
    CompactText(out, player.name);
    out.Int32(player.ping).Int32(player.frags);
    out.Int32(0); // statistics id
  }
  return out.Bytes();
}

} // namespace

std::vector<std::string> Ut2004Replies::Answer(const std::string& request,
                                               const ServerState& state) {
  const std::optional<uint8_t> type = RequestedType(request);
  if (!type)
    return {};
  switch (*type) {
  case kServerInfo:
    return {ServerInfo(state)};
  case kRules:
    return {Rules(state)};
  case kPlayers:
    return {Players(state)};
  case kRulesAndPlayers:
    return {Rules(state), Players(state)};
  default:
    return {};
  }
}
