#pragma once

#include <functional>
#include <string>
#include <vector>

#include "games/StatPluginList.h"
#include "games/game.h"
#include "games/plugin.h"

// Loads the plug-in libraries of a folder: game plug-ins become entries of the
// registry, statistics plug-ins entries of the statistics list. A file that is
// no usable plug-in is skipped (and traced), and the rest load.
class TPluginLoader {
public:
  // Gets the message for a plug-in whose Init failed.
  using TInitFailed = std::function<void(const std::string& message)>;

  TPluginLoader(const THostInfo& host, TStatPluginList& statPlugins, IGameIcons* icons,
                TInitFailed initFailed);

  // Every "*.so" file of the folder, in the order the directory lists them.
  void LoadFolder(TGameList& games, const std::string& folder) const;
  // Every "*.so" file of the folders, folder by folder; a name already met in
  // an earlier folder is not looked at again, so the first file of a name
  // wins (even one that is then skipped). A file that crashed the program
  // while loading at an earlier start is skipped, and shown as such, until
  // it changes.
  void LoadFolders(TGameList& games, const std::vector<std::string>& folders) const;

private:
  // One file of the folder; false when it was skipped.
  bool LoadFile(TGameList& games, const std::string& folder, const std::string& fileName) const;
  void ReportCrashed(const std::string& fileName) const;

  const THostInfo& host_;
  TStatPluginList& statPlugins_;
  IGameIcons* icons_;
  TInitFailed initFailed_;
};

// The oldest host version a game plug-in may be written for, 2.5.
constexpr uint32_t kOldestPluginHostVersion = 0x02050000;
