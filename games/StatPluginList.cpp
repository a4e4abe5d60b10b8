#include "games/StatPluginList.h"

#include <chrono>

#include "games/plugin.h"
#include "util/debug_log.h"

namespace {

double SteadySeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void TraceSlow(const std::string& fileName, double seconds) noexcept {
  try {
    DebugLogQuietly("plug-in " + fileName + " took " + std::to_string(seconds) +
                    " s in ServerState; left out for " +
                    std::to_string(static_cast<int>(TStatPluginList::kHoldBackSeconds)) + " s");
  } catch (...) {
    // The line itself could not be made.
  }
}

} // namespace

TStatPluginList::~TStatPluginList() {
  for (auto plugin = items_.rbegin(); plugin != items_.rend(); ++plugin)
    if (plugin->Detach)
      plugin->Detach();
}

void TStatPluginList::Add(const TStatPlugin& plugin) {
  items_.push_back(plugin);
  heldUntil_.push_back(0);
}

void TStatPluginList::ServerState(const TServerStateInfo& server, const std::string& info,
                                  const std::string& players,
                                  const std::vector<int32_t>& frags) const {
  const auto playerCount = static_cast<int32_t>(frags.size());
  const TClock& clock = clock_ ? clock_ : TClock(SteadySeconds);
  for (std::size_t i = 0; i < items_.size(); ++i) {
    const TStatPlugin& plugin = items_[i];
    const double start = clock();
    if (start < heldUntil_[i])
      continue;
    plugin.ServerState(&server, SKARVEL_INFO_COUNT, info.data(), playerCount, players.data(),
                       frags.empty() ? nullptr : frags.data());
    const double end = clock();
    if (end - start > kSlowCallSeconds) {
      heldUntil_[i] = end + kHoldBackSeconds;
      TraceSlow(plugin.FileName, end - start);
    }
  }
}
