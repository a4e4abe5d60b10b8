#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "games/plugin.h"
#include "util/shared_text.h"
#include "util/version.h"

class TIniFile;

// A game type's description with texts of its own, shared with its copies.
struct TDefs {
  int32_t Port = 0;
  int32_t QueryPortOffset = 0;
  TSharedText Key;
  TSharedText Title;
  TSharedText ShortName;
  TSharedText Caption;
  TSharedText DefaultExecutable;
  TSharedText DefaultParameters;
  TSharedText Tag;
};

// Where icon files become images of the game-type image list; the window
// implements it, the core only keeps the indexes.
class IGameIcons {
public:
  virtual ~IGameIcons() = default;
  // The new image's index, or -1 when the file cannot be read as an icon.
  virtual int32_t AddIconFile(const std::string& path) = 0;
  // The new image's index for PNG bytes (a plug-in's image), or -1; an image
  // list without images in memory takes none.
  virtual int32_t AddIconData(const std::string&) { return -1; }
};

// One game type. Addresses and servers derive from it and carry a copy, whose
// texts they share with the registry entry until either is given a new one.
class TGame {
public:
  int32_t Id = 0;
  int32_t LaunchId = 0;
  TDefs Defs;
  const TGameInfo* Info = nullptr;
  TSharedText Executable;
  TSharedText Parameters;
  TSharedText IconFile;
  TSharedText Sound;
  TSharedText Log;
  int32_t IconIndex = 0;
  int32_t DefaultIconIndex = 0;
  TSharedText PluginFile;
  PackedVersion PluginVersion = 0;
  TCreateQuery CreateQuery = nullptr;
  TCreateServer CreateServer = nullptr;
  TDetachFunction Detach = nullptr;

  // The longest text of a TGameInfo taken over; a plug-in cannot make the
  // host read further than this past a missing NUL.
  static constexpr std::size_t kInfoTextLimit = 1024;

  // Takes the description over; Key and Tag in lower case, a missing text
  // as empty.
  void RegisterFrom(const TGameInfo& info);
  // Copies everything but PluginFile, PluginVersion and Detach, which belong
  // to the entry itself.
  void AssignGame(const TGame& other);
  // IconIndex from IconFile: its image when it loads, else the default image.
  void LoadIcon(IGameIcons* icons);

  void LoadSettings(const TIniFile& ini, IGameIcons* icons);
  // The values of sections "Game" and "GameCfg".
  std::string GameValue() const;
  std::string GameCfgValue() const;
};

// The registry of game types, in registration order; ids are positions.
class TGameList {
public:
  // A built-in type, registered through the same functions a plug-in exports.
  struct TBuiltin {
    TInitFunction Init;
    TCreateQuery CreateQuery;
    TCreateServer CreateServer;
    int32_t Image;
  };

  TGameList() = default;
  ~TGameList();
  TGameList(const TGameList&) = delete;
  TGameList& operator=(const TGameList&) = delete;

  // The built-in types, then whatever `addPlugins` appends, then the launch
  // ids over all of them.
  void LoadGames(const std::vector<TBuiltin>& builtins, const THostInfo& host,
                 const std::function<void(TGameList&)>& addPlugins = {});
  // Appends an entry with the next id (plug-in types).
  TGame& Append(std::unique_ptr<TGame> game);

  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  TGame& Items(int32_t index) { return *items_.at(static_cast<std::size_t>(index)); }
  const TGame& Items(int32_t index) const { return *items_.at(static_cast<std::size_t>(index)); }
  TGame* FindById(int32_t id) const;
  // Compares with the key in lower case (ASCII letters only).
  TGame* FindByKey(const std::string& key) const;

  // Makes this registry's entries copies of the other's.
  void Assign(const TGameList& other);
  // Calls each entry's Detach, in list order, then frees the entries.
  void Clear();

  // Both inside their own settings bracket.
  void LoadSettings(IGameIcons* icons);
  void SaveSettings() const;

private:
  void ResolveLaunchIds();

  std::vector<std::unique_ptr<TGame>> items_;
};
