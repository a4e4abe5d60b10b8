#include "games/game.h"

#include <cstring>

#include "config/IniFile.h"
#include "config/SettingsFile.h"
#include "util/app_dir.h"
#include "util/comma_text.h"
#include "util/text.h"

namespace {

std::string InfoText(const char* text) {
  return text ? std::string(text, strnlen(text, TGame::kInfoTextLimit)) : std::string();
}

} // namespace

void TGame::RegisterFrom(const TGameInfo& info) {
  Info = &info;
  Defs.Port = info.Port;
  Defs.QueryPortOffset = info.QueryPortOffset;
  Defs.Key = LowerAscii(InfoText(info.Key));
  Defs.Title = InfoText(info.Title);
  Defs.ShortName = InfoText(info.ShortName);
  Defs.Caption = InfoText(info.Caption);
  Defs.DefaultExecutable = InfoText(info.DefaultExecutable);
  Defs.DefaultParameters = InfoText(info.DefaultParameters);
  Defs.Tag = LowerAscii(InfoText(info.Tag));
}

void TGame::AssignGame(const TGame& other) {
  Id = other.Id;
  LaunchId = other.LaunchId;
  Defs = other.Defs;
  Info = other.Info;
  Executable = other.Executable;
  Parameters = other.Parameters;
  IconFile = other.IconFile;
  Sound = other.Sound;
  Log = other.Log;
  IconIndex = other.IconIndex;
  DefaultIconIndex = other.DefaultIconIndex;
  CreateQuery = other.CreateQuery;
  CreateServer = other.CreateServer;
}

void TGame::LoadIcon(IGameIcons* icons) {
  IconIndex = DefaultIconIndex;
  if (IconFile.empty() || !icons)
    return;
  const int32_t index = icons->AddIconFile(InAppDir(IconFile));
  if (index >= 0)
    IconIndex = index;
}

void TGame::LoadSettings(const TIniFile& ini, IGameIcons* icons) {
  // Read with its quotes: they delimit a program path with blanks.
  const std::string value = ini.ReadRawString("Game", Defs.Key, "");
  if (value.empty()) {
    Executable = Defs.DefaultExecutable;
    Parameters = Defs.DefaultParameters;
  } else if (value.front() == '"') {
    const std::size_t close = value.find('"', 1);
    if (close == std::string::npos)
      return; // an unclosed quote leaves the launch settings and the files as they were
    Executable = value.substr(1, close - 1);
    if (value.size() - close - 1 >= 2)
      Parameters = value.substr(close + 2);
  } else if (const std::size_t blank = value.find(' '); blank != std::string::npos) {
    Executable = value.substr(0, blank);
    Parameters = value.substr(blank + 1);
  } else {
    Executable = value;
  }

  const std::vector<std::string> files = FromCommaText(ini.ReadRawString("GameCfg", Defs.Key, ""));
  if (files.empty()) {
    IconFile.clear();
  } else {
    IconFile = files[0];
    LoadIcon(icons);
  }
  Sound = files.size() > 1 ? files[1] : "";
  Log = files.size() > 2 ? files[2] : "";
}

std::string TGame::GameValue() const {
  std::string value = QuoteIfSpaced(Executable);
  if (!Parameters.empty())
    value += " " + Parameters;
  return value;
}

std::string TGame::GameCfgValue() const {
  return ToCommaText({IconFile, Sound, Log});
}

TGameList::~TGameList() {
  Clear();
}

void TGameList::LoadGames(const std::vector<TBuiltin>& builtins, const THostInfo& host,
                          const std::function<void(TGameList&)>& addPlugins) {
  for (const TBuiltin& builtin : builtins) {
    TPluginInfo* pluginInfo = nullptr;
    if (!builtin.Init || !builtin.Init(&host, &pluginInfo) || !pluginInfo || !pluginInfo->GameInfo)
      continue;
    auto game = std::make_unique<TGame>();
    game->RegisterFrom(*pluginInfo->GameInfo);
    game->CreateQuery = builtin.CreateQuery;
    game->CreateServer = builtin.CreateServer;
    game->IconIndex = game->DefaultIconIndex = builtin.Image;
    Append(std::move(game));
  }
  if (addPlugins)
    addPlugins(*this);
  ResolveLaunchIds();
}

TGame& TGameList::Append(std::unique_ptr<TGame> game) {
  game->Id = Count();
  game->LaunchId = game->Id;
  items_.push_back(std::move(game));
  return *items_.back();
}

void TGameList::ResolveLaunchIds() {
  for (auto& game : items_) {
    game->Defs.Key = LowerAscii(game->Defs.Key);
    game->Defs.Tag = LowerAscii(game->Defs.Tag);
  }
  for (auto& game : items_) {
    game->LaunchId = game->Id;
    for (const auto& other : items_)
      if (other->Defs.Key == game->Defs.Tag) {
        game->LaunchId = other->Id;
        break;
      }
  }
}

TGame* TGameList::FindById(int32_t id) const {
  for (const auto& game : items_)
    if (game->Id == id)
      return game.get();
  return nullptr;
}

TGame* TGameList::FindByKey(const std::string& key) const {
  const std::string lower = LowerAscii(key);
  for (const auto& game : items_)
    if (game->Defs.Key == lower)
      return game.get();
  return nullptr;
}

void TGameList::Assign(const TGameList& other) {
  // Entries that exist keep their plug-in file, version and Detach; freeing
  // a working copy never detaches a plug-in.
  items_.resize(other.items_.size());
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (!items_[i])
      items_[i] = std::make_unique<TGame>();
    items_[i]->AssignGame(*other.items_[i]);
  }
}

void TGameList::Clear() {
  for (const auto& game : items_)
    if (game->Detach)
      game->Detach();
  items_.clear();
}

void TGameList::LoadSettings(IGameIcons* icons) {
  WithIni([&] {
    for (auto& game : items_)
      game->LoadSettings(Ini(), icons);
  });
}

void TGameList::SaveSettings() const {
  WithIni([&] {
    Ini().EraseSection("Game");
    Ini().EraseSection("GameCfg");
    for (const auto& game : items_) {
      if (game->LaunchId != game->Id)
        continue;
      Ini().WriteString("Game", game->Defs.Key, game->GameValue());
      Ini().WriteString("GameCfg", game->Defs.Key, game->GameCfgValue());
    }
  });
}
