#include "tools/fakeserver/A2sReplies.h"

#include "tools/fakeserver/ByteWriter.h"
#include "tools/fakeserver/OutOfBand.h"
#include "tools/fakeserver/SourceSplit.h"
#include "util/ByteReader.h"

#include <algorithm>
#include <random>

namespace {

constexpr std::string_view kEngineQuery = "Source Engine Query";
constexpr std::size_t kChallengeSize = 4;
constexpr uint8_t kProtocol = 17;
constexpr int16_t kTeamFortressAppId = 440;
// Extra data flags: game port, Steam id, keywords, game id.
constexpr uint8_t kExtraData = 0x80 | 0x10 | 0x20 | 0x01;
constexpr uint64_t kSteamId = 90071996842377216ull; // an anonymous game server's account

uint8_t CountByte(std::size_t count) {
  return static_cast<uint8_t>(std::min<std::size_t>(count, 255));
}

// Servers of more than 255 slots (Rust) send the low byte of each count and
// the counts in their keywords.
bool Wraps(const ServerState& state) {
  return state.MaxPlayers() > 255;
}

uint8_t InfoCountByte(const ServerState& state, std::size_t count) {
  return Wraps(state) ? static_cast<uint8_t>(count & 0xFF) : CountByte(count);
}

std::string Keywords(const ServerState& state) {
  if (!Wraps(state))
    return "alltalk,nocrits";
  return "mp" + std::to_string(state.MaxPlayers()) + ",cp" +
         std::to_string(state.Players().size()) + ",qp0,v2583,gmrust";
}

// A 64-bit mix (splitmix64's finalizer): neighbouring clients get unrelated
// challenges.
uint64_t Mix(uint64_t value) {
  value = (value ^ (value >> 30)) * 0xbf58476d1ce4e5b9ull;
  value = (value ^ (value >> 27)) * 0x94d049bb133111ebull;
  return value ^ (value >> 31);
}

ByteWriter& Int64(ByteWriter& out, uint64_t value) {
  out.Int32(static_cast<int32_t>(static_cast<uint32_t>(value)));
  return out.Int32(static_cast<int32_t>(static_cast<uint32_t>(value >> 32)));
}

std::string Info(const ServerState& state) {
  ByteWriter out;
  out.Raw(kOutOfBandHeader).Byte('I').Byte(kProtocol);
  out.CString(state.Name()).CString(state.Map()).CString("tf").CString("Team Fortress");
  out.Int16(kTeamFortressAppId);
  out.Byte(InfoCountByte(state, state.Players().size()))
      .Byte(InfoCountByte(state, static_cast<std::size_t>(state.MaxPlayers())));
  out.Byte(0);   // bots
  out.Byte('d'); // dedicated
  out.Byte('l'); // Linux
  out.Byte(0);   // no password
  out.Byte(1);   // VAC secured
  out.CString("9543365");
  out.Byte(kExtraData).Int16(static_cast<int16_t>(state.GamePort()));
  Int64(out, kSteamId);
  out.CString(Keywords(state));
  Int64(out, static_cast<uint64_t>(kTeamFortressAppId));
  return out.Bytes();
}

// Source leaves every entry's index at 0 and sends names in UTF-8.
std::string Players(const ServerState& state) {
  ByteWriter out;
  out.Raw(kOutOfBandHeader).Byte('D').Byte(CountByte(state.Players().size()));
  for (const PlayerRecord& player : state.Players()) {
    out.Byte(0).CString(player.name).Int32(player.frags);
    out.Float32(static_cast<float>(player.connectedSeconds));
  }
  return out.Bytes();
}

} // namespace

A2sReplies::A2sReplies(const A2sBehaviour& behaviour, uint32_t seed) : behaviour_(behaviour) {
  std::mt19937_64 random(seed);
  secret_ = random();
  nextSplitId_ = static_cast<uint32_t>(random());
}

std::vector<std::string> A2sReplies::Answer(const std::string& request, const ServerState& state) {
  return AnswerFrom(request, "", state);
}

std::vector<std::string> A2sReplies::AnswerFrom(const std::string& request, std::string_view client,
                                                const ServerState& state) {
  const std::optional<std::string_view> body = OutOfBandBody(request);
  if (!body || body->empty())
    return {};
  TByteReader reader(*body);
  const char type = static_cast<char>(reader.ReadUint8());
  if (type == 'T') {
    if (!reader.Rest().starts_with(kEngineQuery))
      return {};
    reader.Skip(kEngineQuery.size());
    if (reader.Rest().starts_with(std::string_view("\0", 1)))
      reader.Skip(1);
  } else if (type != 'U' || reader.Remaining() < kChallengeSize) {
    return {};
  }
  const bool rightChallenge =
      reader.Remaining() >= kChallengeSize &&
      reader.ReadBytes(kChallengeSize) == std::string_view(ChallengeFor(client));
  if (behaviour_.challenge && !rightChallenge)
    return Send(ByteWriter().Raw(kOutOfBandHeader).Byte('A').Raw(ChallengeFor(client)).Bytes());
  return Send(type == 'T' ? Info(state) : Players(state));
}

std::string A2sReplies::ChallengeFor(std::string_view client) const {
  uint64_t hash = 0xcbf29ce484222325ull; // FNV-1a over the client's address
  for (char byte : client)
    hash = (hash ^ static_cast<uint8_t>(byte)) * 0x100000001b3ull;
  auto value = static_cast<uint32_t>(Mix(hash ^ secret_));
  // 0 and FFFFFFFF are what clients send when they have no challenge yet.
  if (value == 0 || value == 0xFFFFFFFF)
    value = 0x5ca1ab1e;
  return ByteWriter().Int32(static_cast<int32_t>(value)).Bytes();
}

std::vector<std::string> A2sReplies::Send(const std::string& reply) {
  if (reply.size() <= behaviour_.splitBytes)
    return {reply};
  return SplitSourceReply(reply, behaviour_.splitBytes, nextSplitId_++);
}
