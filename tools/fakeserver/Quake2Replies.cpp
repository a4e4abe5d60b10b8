#include "tools/fakeserver/Quake2Replies.h"

#include "tools/fakeserver/OutOfBand.h"
#include "tools/fakeserver/TextEncoding.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kProtocolVersion = 34;
// The server formats the info line into a 64-byte buffer, NUL included.
constexpr std::size_t kInfoLineBytes = 63;

std::string InfoLine(const ServerState& state, const std::string& version) {
  const std::string hostname = Utf8ToLatin1(state.Name());
  char line[kInfoLineBytes + 1];
  if (std::atoi(version.c_str()) != kProtocolVersion)
    std::snprintf(line, sizeof line, "%s: wrong version\n", hostname.c_str());
  else
    std::snprintf(line, sizeof line, "%16s %8s %2d/%2d\n", hostname.c_str(),
                  Utf8ToLatin1(state.Map()).c_str(), static_cast<int>(state.Players().size()),
                  state.MaxPlayers());
  return line;
}

std::string ServerInfo(const ServerState& state) {
  std::string info;
  auto add = [&info](const std::string& key, const std::string& value) {
    info += "\\" + key + "\\" + value;
  };
  add("mapname", Utf8ToLatin1(state.Map()));
  add("protocol", std::to_string(kProtocolVersion));
  add("maxclients", std::to_string(state.MaxPlayers()));
  add("hostname", Utf8ToLatin1(state.Name()));
  add("timelimit", std::to_string(state.TimeLimitMinutes()));
  add("fraglimit", std::to_string(state.FragLimit()));
  add("dmflags", "16");
  add("deathmatch", "1");
  add("version", "3.20 x86 Dec 14 2001 Linux");
  add("gamename", "baseq2");
  return info;
}

std::string Status(const ServerState& state) {
  std::string text = "print\n" + ServerInfo(state) + "\n";
  for (const PlayerRecord& player : state.Players())
    text += std::to_string(player.frags) + " " + std::to_string(player.ping) + " \"" +
            Utf8ToLatin1(player.name) + "\"\n";
  return OutOfBand(text);
}

} // namespace

std::vector<std::string> Quake2Replies::Answer(const std::string& request,
                                               const ServerState& state) {
  const std::optional<TextCommand> command = ParseTextCommand(request);
  if (!command)
    return {};
  if (command->word == "info")
    return {OutOfBand("info\n" + InfoLine(state, command->argument))};
  if (command->word == "status")
    return {Status(state)};
  if (command->word == "ping")
    return {OutOfBand("ack")};
  return {};
}
