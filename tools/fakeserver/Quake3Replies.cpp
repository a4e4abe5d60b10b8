#include "tools/fakeserver/Quake3Replies.h"

#include "tools/fakeserver/OutOfBand.h"
#include "tools/fakeserver/TextEncoding.h"

namespace {

// The engine drops empty values and refuses ones that would break the
// string's syntax.
void AddInfo(std::string& info, const std::string& key, const std::string& value) {
  if (!value.empty() && value.find_first_of("\\\";") == std::string::npos)
    info += "\\" + key + "\\" + value;
}

void AddInfo(std::string& info, const std::string& key, int value) {
  AddInfo(info, key, std::to_string(value));
}

std::string Status(const ServerState& state, const std::string& challenge) {
  std::string info;
  AddInfo(info, "sv_hostname", Utf8ToLatin1(state.Name()));
  AddInfo(info, "mapname", Utf8ToLatin1(state.Map()));
  AddInfo(info, "sv_maxclients", state.MaxPlayers());
  AddInfo(info, "fraglimit", state.FragLimit());
  AddInfo(info, "timelimit", state.TimeLimitMinutes());
  AddInfo(info, "g_gametype", 0);
  AddInfo(info, "protocol", 68);
  AddInfo(info, "version", "ioq3 1.36 linux-x86_64 Apr 12 2009");
  AddInfo(info, "gamename", "baseq3");
  AddInfo(info, "challenge", challenge);
  std::string text = "statusResponse\n" + info + "\n";
  for (const PlayerRecord& player : state.Players())
    text += std::to_string(player.frags) + " " + std::to_string(player.ping) + " \"" +
            Utf8ToLatin1(player.name) + "\"\n";
  return OutOfBand(text);
}

std::string Info(const ServerState& state, const std::string& challenge) {
  const int clients = static_cast<int>(state.Players().size());
  std::string info;
  AddInfo(info, "challenge", challenge);
  AddInfo(info, "protocol", 68);
  AddInfo(info, "hostname", Utf8ToLatin1(state.Name()));
  AddInfo(info, "mapname", Utf8ToLatin1(state.Map()));
  AddInfo(info, "clients", clients);
  AddInfo(info, "g_humanplayers", clients);
  AddInfo(info, "sv_maxclients", state.MaxPlayers());
  AddInfo(info, "gametype", 0);
  AddInfo(info, "pure", 1);
  AddInfo(info, "gamename", "baseq3");
  return OutOfBand("infoResponse\n" + info);
}

} // namespace

std::vector<std::string> Quake3Replies::Answer(const std::string& request,
                                               const ServerState& state) {
  const std::optional<TextCommand> command = ParseTextCommand(request);
  if (!command)
    return {};
  const std::string challenge = command->argument.substr(0, command->argument.find(' '));
  if (command->word == "getstatus")
    return {Status(state, challenge)};
  if (command->word == "getinfo")
    return {Info(state, challenge)};
  return {};
}
