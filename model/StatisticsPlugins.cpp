#include "model/StatisticsPlugins.h"

#include "model/server.h"

void NotifyStatPlugins(const TStatPluginList& plugins, const TServer& server) {
  if (plugins.Count() == 0)
    return;
  const std::string address = server.HostPort();
  const std::string title = server.DisplayName();
  // The server's own Info is its info texts; the game's record is its type's.
  const TGameInfo* gameInfo = static_cast<const TGame&>(server).Info;
  const TServerStateInfo state{gameInfo, address.c_str(), title.c_str()};
  std::vector<int32_t> frags;
  const std::string players = server.PluginPlayersBlock(frags);
  plugins.ServerState(state, server.PluginInfoBlock(), players, frags);
}
