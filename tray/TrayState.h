#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TServer;
class TServerList;

// What the common tray icon, the tray menu and the hint show for the live
// server list: worked out apart from the icons, so it can be checked alone.
struct TTrayState {
  static constexpr std::size_t kMenuEntries = 16;

  enum class TCommonIcon { Hidden, StateImage, Counter };
  struct TEntry {
    const TServer* Server = nullptr;
    std::string Caption;
  };

  TCommonIcon Common = TCommonIcon::StateImage;
  int32_t StateImage = 0;      // 0 nothing counted, 1 online and empty, 2 somebody plays
  int32_t Counter = 0;         // players, when Common is Counter
  std::vector<TEntry> Entries; // the first online servers, in list order
  // "<player> @ <server name>" for the first buddies playing, by server in
  // list order, each server's buddies in its player order.
  std::vector<TEntry> BuddyEntries;
  std::vector<std::string> HintLines; // none: the hint says there are no servers
};

// `digits`: draw the common icon's player count instead of the green image.
TTrayState ComputeTrayState(const TServerList& servers, bool digits);

// "<name> - <map> (<players>)": the hint line of a server and its own icon's hint.
std::string TrayHintLine(const TServer& server);

// The names of the server's players on the buddy list, in player order.
std::vector<std::string> BuddiesOn(const TServer& server);
