#include "tray/TrayState.h"

#include <algorithm>
#include <limits>

#include "config/BuddyList.h"
#include "model/server.h"

namespace {

// Servers of the common icon and servers without an icon are listed
// in the common icon's hint; own icons carry their own.
bool InCommonHint(const TServer& server) {
  return server.TrayMode == kTrayCommonIcon || server.TrayMode == kTrayNoIcon;
}

} // namespace

std::string TrayHintLine(const TServer& server) {
  return server.Info[SKARVEL_INFO_NAME] + " - " + server.Info[SKARVEL_INFO_MAP] + " (" +
         std::to_string(server.PlayerCount()) + ")";
}

std::vector<std::string> BuddiesOn(const TServer& server) {
  std::vector<std::string> names;
  if (Buddies.Empty())
    return names;
  for (int32_t i = 0; i < server.Players.Count(); ++i)
    if (const std::string& name = server.Players.Items(i).Name; Buddies.Matches(name))
      names.push_back(name);
  return names;
}

TTrayState ComputeTrayState(const TServerList& servers, bool digits) {
  TTrayState state;
  int32_t commonOnline = 0;
  int64_t commonPlayers = 0; // servers report their own counts: no overflow
  bool anyOwnOnline = false;
  for (int32_t i = 0; i < servers.Count(); ++i) {
    const TServer& server = servers.Items(i);
    if (!server.Online)
      continue;
    if (server.TrayMode == kTrayCommonIcon) {
      ++commonOnline;
      commonPlayers += server.PlayerCount();
    }
    anyOwnOnline = anyOwnOnline || server.TrayMode == kTrayOwnIcon;
    if (state.Entries.size() < TTrayState::kMenuEntries) {
      state.Entries.push_back({&server, server.DisplayName() + " " +
                                            server.Info[SKARVEL_INFO_NAME] + " - " +
                                            server.Info[SKARVEL_INFO_MAP] + " (" +
                                            std::to_string(server.PlayerCount()) + ")"});
      if (InCommonHint(server))
        state.HintLines.push_back(TrayHintLine(server));
    }
    for (const std::string& buddy : BuddiesOn(server))
      if (state.BuddyEntries.size() < TTrayState::kMenuEntries)
        state.BuddyEntries.push_back({&server, buddy + " @ " + server.Info[SKARVEL_INFO_NAME]});
  }

  if (anyOwnOnline && commonOnline == 0) {
    state.Common = TTrayState::TCommonIcon::Hidden;
  } else if (commonOnline > 0 && commonPlayers <= 0) {
    state.StateImage = 1;
  } else if (commonOnline > 0 && digits) {
    state.Common = TTrayState::TCommonIcon::Counter;
    state.Counter =
        static_cast<int32_t>(std::min<int64_t>(commonPlayers, std::numeric_limits<int32_t>::max()));
  } else if (commonOnline > 0) {
    state.StateImage = 2;
  }
  return state;
}
