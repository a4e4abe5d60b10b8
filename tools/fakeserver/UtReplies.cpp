#include "tools/fakeserver/UtReplies.h"

#include "tools/fakeserver/TextEncoding.h"

#include <algorithm>
#include <string_view>
#include <utility>

namespace {

// Players are packed into datagrams of about this size, so that even a full
// 32-player server answers in single-digit packet numbers.
constexpr std::size_t kPlayerPacketBytes = 1024;
// Real servers handle a few query types per request; a request naming
// thousands must not make the emulator flood the network.
constexpr int kMaxQueryTypesPerRequest = 8;

std::string Pair(std::string_view key, std::string_view value) {
  std::string text = "\\";
  text.append(key).append("\\").append(value);
  return text;
}

std::string Pair(std::string_view key, int value) {
  return Pair(key, std::to_string(value));
}

// The request as key/value pairs: "\status\" is {status, ""}, "\echo\hi" is
// {echo, hi}.
std::vector<std::pair<std::string, std::string>> RequestPairs(const std::string& request) {
  std::vector<std::pair<std::string, std::string>> pairs;
  if (request.empty() || request.front() != '\\')
    return pairs;
  std::vector<std::string> tokens;
  std::size_t start = 1;
  while (start <= request.size()) {
    const std::size_t end = std::min(request.find('\\', start), request.size());
    tokens.push_back(request.substr(start, end - start));
    start = end + 1;
  }
  for (std::size_t i = 0; i < tokens.size(); i += 2)
    pairs.emplace_back(tokens[i], i + 1 < tokens.size() ? tokens[i + 1] : "");
  return pairs;
}

std::string Basic() {
  return Pair("gamename", "ut") + Pair("gamever", 451) + Pair("minnetver", 432) +
         Pair("location", 0);
}

std::string Info(const ServerState& state) {
  const std::string map = Utf8ToLatin1(state.Map());
  return Pair("hostname", Utf8ToLatin1(state.Name())) + Pair("hostport", state.GamePort()) +
         Pair("maptitle", map) + Pair("mapname", map) + Pair("gametype", "DeathMatchPlus") +
         Pair("numplayers", static_cast<int>(state.Players().size())) +
         Pair("maxplayers", state.MaxPlayers()) + Pair("gamemode", "openplaying") +
         Pair("gamever", 451) + Pair("minnetver", 432);
}

std::string Rules(const ServerState& state) {
  return Pair("listenserver", "False") + Pair("password", "False") +
         Pair("timelimit", state.TimeLimitMinutes()) + Pair("fraglimit", state.FragLimit()) +
         Pair("minplayers", 0) + Pair("changelevels", "True") + Pair("tournament", "False") +
         Pair("gamestyle", "Hardcore") + Pair("botskill", "Average");
}

std::string Player(const PlayerRecord& player, int index) {
  const std::string n = std::to_string(index);
  return Pair("player_" + n, Utf8ToLatin1(player.name)) + Pair("frags_" + n, player.frags) +
         Pair("ping_" + n, player.ping) + Pair("team_" + n, 255) +
         Pair("mesh_" + n, "Male Commando") + Pair("skin_" + n, "CommandoSkins.cmdo") +
         Pair("face_" + n, "CommandoSkins.Blake") + Pair("ngsecret_" + n, "true");
}

void AppendPlayerPackets(const ServerState& state, std::vector<std::string>& bodies) {
  std::string packet;
  int index = 0;
  for (const PlayerRecord& player : state.Players()) {
    std::string text = Player(player, index++);
    if (!packet.empty() && packet.size() + text.size() > kPlayerPacketBytes) {
      bodies.push_back(std::move(packet));
      packet.clear();
    }
    packet += text;
  }
  if (!packet.empty())
    bodies.push_back(std::move(packet));
}

} // namespace

std::vector<std::string> UtReplies::Answer(const std::string& request, const ServerState& state) {
  std::vector<std::string> bodies;
  int answered = 0;
  for (const auto& [type, value] : RequestPairs(request)) {
    if (type == "basic") {
      bodies.push_back(Basic());
    } else if (type == "info") {
      bodies.push_back(Info(state));
    } else if (type == "rules") {
      bodies.push_back(Rules(state));
    } else if (type == "players") {
      AppendPlayerPackets(state, bodies);
    } else if (type == "status") {
      bodies.push_back(Basic() + Info(state));
      bodies.push_back(Rules(state));
      AppendPlayerPackets(state, bodies);
    } else if (type == "echo") {
      bodies.push_back(Pair("echo", value));
    } else {
      continue;
    }
    if (++answered == kMaxQueryTypesPerRequest)
      break;
  }
  if (answered == 0)
    return {};
  if (bodies.empty()) // "\players\" on an empty server still ends the answer
    bodies.emplace_back();

  const std::string queryId = std::to_string(++lastQueryId_);
  std::vector<std::string> datagrams;
  for (std::size_t i = 0; i < bodies.size(); ++i) {
    std::string datagram = bodies[i] + Pair("queryid", queryId + "." + std::to_string(i + 1));
    if (i + 1 == bodies.size())
      datagram += Pair("final", "");
    datagrams.push_back(std::move(datagram));
  }
  return datagrams;
}
