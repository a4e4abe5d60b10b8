#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "games/plugin.h"

// One server's committed poll as the host hands it to a statistics plug-in.
struct ServerPoll {
  std::string game = "ut";
  std::string address = "127.0.0.1:7778";
  std::string title = "Deck Party";
  std::vector<std::string> info = {"Deck Party", "DM-Deck16][", "25", "2", "16"};
  std::vector<std::pair<std::string, int32_t>> players = {{"Wraith", 12}, {"Tamerlane", -1}};
};

// The history plug-in loaded the way the host loads it, with a fake host
// whose settings file holds only [History] Database (when given). Detaches
// and unloads the plug-in when it goes away.
class HistoryPlugin {
public:
  explicit HistoryPlugin(const std::string& library = HISTORY_PLUGIN);
  ~HistoryPlugin();
  HistoryPlugin(const HistoryPlugin&) = delete;
  HistoryPlugin& operator=(const HistoryPlugin&) = delete;

  // Init with the host's record; the [History] Database value the host's
  // settings give. Returns Init's result; PluginInfo() gives what it set.
  int32_t Init(std::optional<std::string> database);
  // Init with a host record whose settings callbacks are missing.
  int32_t InitWithoutSettings();
  // ServerState with buffers of exactly the host's shape and size: each
  // info text NUL-terminated, the names back to back (a single NUL and nil
  // frags without players).
  void ServerState(const ServerPoll& poll);
  // ServerState with the first infoCount texts of poll.info only.
  void ServerState(const ServerPoll& poll, int32_t infoCount);
  void Detach();

  const TPluginInfo* PluginInfo() const { return pluginInfo_; }
  const uint16_t* FileVersion() const;

private:
  void* library_ = nullptr;
  TInitFunction init_ = nullptr;
  TServerStateFunction serverState_ = nullptr;
  TDetachFunction detach_ = nullptr;
  TPluginInfo* pluginInfo_ = nullptr;
  bool attached_ = false;
};
