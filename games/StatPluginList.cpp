#include "games/StatPluginList.h"

#include "games/plugin.h"

TStatPluginList::~TStatPluginList() {
  for (auto plugin = items_.rbegin(); plugin != items_.rend(); ++plugin)
    if (plugin->Detach)
      plugin->Detach();
}

void TStatPluginList::Add(const TStatPlugin& plugin) {
  items_.push_back(plugin);
}

void TStatPluginList::ServerState(const TServerStateInfo& server, const std::string& info,
                                  const std::string& players,
                                  const std::vector<int32_t>& frags) const {
  const auto playerCount = static_cast<int32_t>(frags.size());
  for (const TStatPlugin& plugin : items_)
    plugin.ServerState(&server, SKARVEL_INFO_COUNT, info.data(), playerCount, players.data(),
                       frags.empty() ? nullptr : frags.data());
}
