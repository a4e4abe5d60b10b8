#include "tools/fakeserver/HalfLifeReplies.h"

#include "tools/fakeserver/ByteWriter.h"
#include "tools/fakeserver/OutOfBand.h"
#include "tools/fakeserver/TextEncoding.h"
#include "util/ByteReader.h"

#include <algorithm>
#include <random>

namespace {

constexpr std::string_view kEngineQuery = "TSource Engine Query";
constexpr uint8_t kHalfLifeProtocol = 47;
constexpr uint8_t kSourceProtocol = 17;
constexpr int16_t kCounterStrikeSourceAppId = 240;

uint8_t CountByte(std::size_t count) {
  return static_cast<uint8_t>(std::min<std::size_t>(count, 255));
}

std::string HostAddress(const ServerState& state) {
  return state.Address() + ":" + std::to_string(state.GamePort());
}

// The old 'C' reply: the details without the fields that came later.
std::string OldInfo(const ServerState& state) {
  ByteWriter out;
  out.Raw(kOutOfBandHeader).Byte('C');
  out.CString(HostAddress(state)).CString(Utf8ToLatin1(state.Name()));
  out.CString(Utf8ToLatin1(state.Map())).CString("cstrike").CString("Counter-Strike");
  out.Byte(CountByte(state.Players().size())).Byte(CountByte(state.MaxPlayers()));
  out.Byte(kHalfLifeProtocol);
  return out.Bytes();
}

std::string SourceInfo(const ServerState& state) {
  ByteWriter out;
  out.Raw(kOutOfBandHeader).Byte('I').Byte(kSourceProtocol);
  out.CString(state.Name()).CString(state.Map()).CString("cstrike");
  out.CString("Counter-Strike: Source").Int16(kCounterStrikeSourceAppId);
  out.Byte(CountByte(state.Players().size())).Byte(CountByte(state.MaxPlayers()));
  out.Byte(0);   // bots
  out.Byte('d'); // dedicated
  out.Byte('l'); // Linux
  out.Byte(0);   // no password
  out.Byte(1);   // VAC secured
  out.CString("1.0.0.71");
  out.Byte(0x80).Int16(static_cast<int16_t>(state.GamePort())); // extra data: the game port
  return out.Bytes();
}

std::string Rules(const ServerState& state) {
  const std::vector<std::pair<std::string, std::string>> rules = {
      {"mp_fraglimit", std::to_string(state.FragLimit())},
      {"mp_timelimit", std::to_string(state.TimeLimitMinutes())},
      {"mp_friendlyfire", "0"},
      {"mp_roundtime", "3"},
      {"sv_gravity", "800"},
      {"sv_maxspeed", "320"},
  };
  ByteWriter out;
  out.Raw(kOutOfBandHeader).Byte('E').Int16(static_cast<int16_t>(rules.size()));
  for (const auto& [key, value] : rules)
    out.CString(key).CString(value);
  return out.Bytes();
}

std::string InfoString(const ServerState& state) {
  std::string info;
  auto add = [&info](const std::string& key, const std::string& value) {
    info += "\\" + key + "\\" + value;
  };
  add("protocol", std::to_string(kHalfLifeProtocol));
  add("address", HostAddress(state));
  add("players", std::to_string(state.Players().size()));
  add("proxytarget", "0");
  add("lan", "0");
  add("max", std::to_string(state.MaxPlayers()));
  add("gamedir", "cstrike");
  add("description", "Counter-Strike");
  add("hostname", Utf8ToLatin1(state.Name()));
  add("map", Utf8ToLatin1(state.Map()));
  add("type", "d");
  add("password", "0");
  add("os", "l");
  add("secure", "1");
  return ByteWriter().Raw(kOutOfBandHeader).CString("infostringresponse").CString(info).Bytes();
}

} // namespace

HalfLifeReplies::HalfLifeReplies(HalfLifeStyle style, uint32_t seed) : style_(style) {
  uint32_t value = std::mt19937(seed)();
  // 0 and FFFFFFFF are what clients send when they have no challenge yet.
  if (value == 0 || value == 0xFFFFFFFF)
    value = 0x5ca1ab1e;
  challenge_ = ByteWriter().Int32(static_cast<int32_t>(value)).Bytes();
}

std::vector<std::string> HalfLifeReplies::Answer(const std::string& request,
                                                 const ServerState& state) {
  if (style_ == HalfLifeStyle::OldCommands)
    return AnswerTextCommand(request, state);
  const std::optional<std::string_view> body = OutOfBandBody(request);
  if (!body || body->empty())
    return {};
  return AnswerEngineQuery(*body, state);
}

std::vector<std::string> HalfLifeReplies::AnswerTextCommand(const std::string& request,
                                                            const ServerState& state) const {
  const std::optional<TextCommand> command = ParseTextCommand(request);
  if (!command)
    return {};
  if (command->word == "details")
    return {Details(state)};
  if (command->word == "players")
    return {Players(state)};
  if (command->word == "rules")
    return {Rules(state)};
  if (command->word == "info")
    return {OldInfo(state)};
  if (command->word == "infostring")
    return {InfoString(state)};
  if (command->word == "ping")
    return {ByteWriter().Raw(kOutOfBandHeader).CString("j").Bytes()};
  return {};
}

std::vector<std::string> HalfLifeReplies::AnswerEngineQuery(std::string_view body,
                                                            const ServerState& state) const {
  TByteReader reader(body);
  const char type = static_cast<char>(reader.ReadUint8());
  // A trailing NUL is tolerated where the request carries nothing else.
  const bool bare = reader.AtEnd() || reader.Rest() == std::string_view("\0", 1);
  const bool rightChallenge =
      reader.Remaining() >= challenge_.size() && reader.ReadBytes(challenge_.size()) == challenge_;
  switch (type) {
  case 'W':
    return bare ? std::vector<std::string>{ChallengeReply()} : std::vector<std::string>{};
  case 'T':
    if (!body.starts_with(kEngineQuery))
      return {};
    return {style_ == HalfLifeStyle::Source ? SourceInfo(state) : Details(state)};
  case 'U':
    return {rightChallenge ? Players(state) : ChallengeReply()};
  case 'V':
    return {rightChallenge ? Rules(state) : ChallengeReply()};
  default:
    return {};
  }
}

std::string HalfLifeReplies::Details(const ServerState& state) const {
  ByteWriter out;
  out.Raw(kOutOfBandHeader).Byte('m');
  out.CString(HostAddress(state)).CString(Utf8ToLatin1(state.Name()));
  out.CString(Utf8ToLatin1(state.Map())).CString("cstrike").CString("Counter-Strike");
  out.Byte(CountByte(state.Players().size())).Byte(CountByte(state.MaxPlayers()));
  out.Byte(kHalfLifeProtocol);
  out.Byte('d'); // dedicated
  out.Byte('l'); // Linux
  out.Byte(0);   // no password
  out.Byte(1);   // a mod of Half-Life, described next
  out.CString("www.counter-strike.net").CString("").Byte(0);
  out.Int32(1);         // mod version
  out.Int32(184000000); // mod size in bytes
  out.Byte(0);          // not server-only
  out.Byte(1);          // has its own client library
  out.Byte(1);          // VAC secured
  out.Byte(0);          // bots
  return out.Bytes();
}

std::string HalfLifeReplies::Players(const ServerState& state) const {
  const bool source = style_ == HalfLifeStyle::Source;
  ByteWriter out;
  out.Raw(kOutOfBandHeader).Byte('D').Byte(CountByte(state.Players().size()));
  uint8_t index = 0;
  for (const PlayerRecord& player : state.Players()) {
    // Half-Life numbers the entries from 1; Source leaves the index at 0.
    out.Byte(source ? 0 : ++index);
    out.CString(source ? player.name : Utf8ToLatin1(player.name));
    out.Int32(player.frags).Float32(static_cast<float>(player.connectedSeconds));
  }
  return out.Bytes();
}

std::string HalfLifeReplies::ChallengeReply() const {
  return ByteWriter().Raw(kOutOfBandHeader).Byte('A').Raw(challenge_).Bytes();
}
