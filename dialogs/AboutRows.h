#pragma once

#include <string>
#include <utility>
#include <vector>

#include "util/version.h"

class TGameList;

// One line of the about box's version list.
struct TAboutRow {
  std::string Caption;
  std::string Version;
  bool operator==(const TAboutRow&) const = default;
};

// A statistics plug-in as the about box lists it: its file name and version.
using TStatPluginVersion = std::pair<std::string, PackedVersion>;

// The version list, sorted by caption in the user's locale: the executable
// with the program's version, every game type that came from a plug-in file,
// and every statistics plug-in that has a name.
std::vector<TAboutRow> AboutRows(const std::string& executableName, PackedVersion programVersion,
                                 const TGameList& games,
                                 const std::vector<TStatPluginVersion>& statPlugins);
