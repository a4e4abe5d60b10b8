#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Requests and replies of the Source query protocol, made by hand as servers
// send them.
namespace a2s_replies {

using namespace std::string_literals;

const std::string kHeader = "\xFF\xFF\xFF\xFF";
const std::string kInfoRequest = "\xFF\xFF\xFF\xFFTSource Engine Query\0"s;
const std::string kPlayerRequest = "\xFF\xFF\xFF\xFFU";
const std::string kAskForChallenge = "\xFF\xFF\xFF\xFF";

inline std::string Le16(uint16_t value) {
  return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}
inline std::string Le32(uint32_t value) {
  return Le16(static_cast<uint16_t>(value & 0xFFFF)) + Le16(static_cast<uint16_t>(value >> 16));
}
inline std::string Text(const std::string& text) {
  return text + '\0';
}
inline std::string Byte(unsigned value) {
  return std::string(1, static_cast<char>(value));
}

inline std::string Challenge(uint32_t value) {
  return kHeader + "A" + Le32(value);
}

struct SourceInfo {
  std::string name = "Dust Bowl";
  std::string map = "ctf_2fort";
  std::string game = "Team Fortress";
  uint16_t appId = 440;
  unsigned players = 2;
  unsigned maxPlayers = 24;
  bool extraData = true; // the optional fields after the version, all of them
  std::string keywords = "cp,payload";
};

inline std::string Info(const SourceInfo& info) {
  std::string reply = kHeader + "I" + Byte(17) + Text(info.name) + Text(info.map) + Text("tf") +
                      Text(info.game) + Le16(info.appId) + Byte(info.players) +
                      Byte(info.maxPlayers) + Byte(0) + "dl" + Byte(0) + Byte(1);
  if (info.appId == 2400)
    reply += "\x00\x02\x03"s; // The Ship: mode, witnesses, duration
  reply += Text("8622567");
  if (info.extraData)
    reply += Byte(0xF1) + Le16(27015) + Le32(0x01100001) + Le32(0x12345678) + Le16(27020) +
             Text("SourceTV") + Text(info.keywords) + Le32(440) + Le32(0);
  return reply;
}

struct GoldSrcInfo {
  std::string name = "CS Office";
  std::string map = "cs_office";
  std::string game = "Counter-Strike";
  unsigned players = 3;
  unsigned maxPlayers = 20;
  bool mod = false;
};

inline std::string Info(const GoldSrcInfo& info) {
  std::string reply = kHeader + "m" + Text("127.0.0.1:27015") + Text(info.name) + Text(info.map) +
                      Text("cstrike") + Text(info.game) + Byte(info.players) +
                      Byte(info.maxPlayers) + Byte(48) + "dl" + Byte(0) + Byte(info.mod);
  if (info.mod)
    reply += Text("http://mod.example") + Text("http://mod.example/dl") + Byte(0) + Le32(1) +
             Le32(184000) + Byte(0) + Byte(1);
  return reply + Byte(1) + Byte(0); // VAC, bots
}

struct Player {
  std::string name;
  int32_t score = 0;
};

inline std::string Players(const std::vector<Player>& players) {
  std::string reply = kHeader + "D" + Byte(static_cast<unsigned>(players.size()));
  for (std::size_t i = 0; i < players.size(); ++i)
    reply += Byte(static_cast<unsigned>(i)) + Text(players[i].name) +
             Le32(static_cast<uint32_t>(players[i].score)) + "\x00\x00\x80\x3F"s; // 1.0 s
  return reply;
}

// One part of a split reply.
inline std::string SourcePart(uint32_t id, unsigned total, unsigned number, uint16_t size,
                              const std::string& payload) {
  return "\xFE\xFF\xFF\xFF" + Le32(id) + Byte(total) + Byte(number) + Le16(size) + payload;
}
inline std::string GoldSrcPart(uint32_t id, unsigned total, unsigned number,
                               const std::string& payload) {
  return "\xFE\xFF\xFF\xFF" + Le32(id) + Byte(number << 4 | total) + payload;
}

// A reply cut into parts of at most partSize bytes, in order.
inline std::vector<std::string> SplitSource(const std::string& reply, uint32_t id,
                                            std::size_t partSize) {
  const std::size_t total = (reply.size() + partSize - 1) / partSize;
  std::vector<std::string> parts;
  for (std::size_t i = 0; i < total; ++i)
    parts.push_back(SourcePart(id, static_cast<unsigned>(total), static_cast<unsigned>(i),
                               static_cast<uint16_t>(partSize),
                               reply.substr(i * partSize, partSize)));
  return parts;
}
inline std::vector<std::string> SplitGoldSrc(const std::string& reply, uint32_t id,
                                             std::size_t partSize) {
  const std::size_t total = (reply.size() + partSize - 1) / partSize;
  std::vector<std::string> parts;
  for (std::size_t i = 0; i < total; ++i)
    parts.push_back(GoldSrcPart(id, static_cast<unsigned>(total), static_cast<unsigned>(i),
                                reply.substr(i * partSize, partSize)));
  return parts;
}

} // namespace a2s_replies
