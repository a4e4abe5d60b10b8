#include "games/PluginLoader.h"

#include <dirent.h>
#include <dlfcn.h>
#include <link.h>

#include <cstring>
#include <memory>
#include <set>

#include "config/MsgINISupp.h"
#include "games/CrashedPlugins.h"
#include "games/LibraryFile.h"
#include "games/LoadingMarker.h"
#include "util/app_dir.h"
#include "util/debug_log.h"
#include "util/version.h"

namespace {

// Longest plug-in texts taken over; a plug-in cannot make the host read
// further than this past a missing NUL.
constexpr std::size_t kErrorTextLimit = 1024;
// A game-type image larger than this is no 16x16 icon.
constexpr std::size_t kIconLimit = 1024 * 1024;

// In the program folder: the plug-in being loaded, and those that crashed.
const char* const kLoadingMarker = "plugin-loading";
const char* const kCrashRecord = "plugin-crashes";

void Trace(const std::string& fileName, const std::string& reason) noexcept {
  try {
    DebugLogQuietly("plug-in " + fileName + " skipped: " + reason);
  } catch (...) {
  }
}

std::string LoadError() {
  const char* error = dlerror();
  return error ? error : "cannot be loaded";
}

bool EndsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// The library goes again unless it is kept.
struct TLibrary {
  void* handle = nullptr;
  ~TLibrary() {
    if (handle)
      dlclose(handle);
  }
  void* Symbol(const char* name) const { return dlsym(handle, name); }
};

template <class Function> Function Export(const TLibrary& library, const char* name) {
  return reinterpret_cast<Function>(library.Symbol(name));
}

// The PNG bytes of the data symbol "MAINICON"; the symbol's size says how many.
std::string IconBytes(const TLibrary& library) {
  const void* icon = library.Symbol("MAINICON");
  Dl_info info{};
  void* entry = nullptr;
  if (!icon || !dladdr1(icon, &info, &entry, RTLD_DL_SYMENT) || !entry)
    return {};
  const auto* symbol = static_cast<const ElfW(Sym)*>(entry);
  if (symbol->st_size == 0 || symbol->st_size > kIconLimit)
    return {};
  return {static_cast<const char*>(icon), symbol->st_size};
}

void TraceLoaded(const std::string& fileName, PackedVersion version, const std::string& kind) {
  DebugLogQuietly("plug-in " + fileName + " " +
                  (version ? VersionToText(version) : "(no version)") + " loaded: " + kind);
}

} // namespace

TPluginLoader::TPluginLoader(const THostInfo& host, TStatPluginList& statPlugins, IGameIcons* icons,
                             TInitFailed initFailed)
    : host_(host), statPlugins_(statPlugins), icons_(icons), initFailed_(std::move(initFailed)) {
}

void TPluginLoader::LoadFolder(TGameList& games, const std::string& folder) const {
  LoadFolders(games, {folder});
}

void TPluginLoader::LoadFolders(TGameList& games, const std::vector<std::string>& folders) const {
  TCrashedPlugins crashed(InAppDir(kCrashRecord));
  if (const std::string culprit = TLoadingMarker::Leftover(InAppDir(kLoadingMarker));
      !culprit.empty()) {
    DebugLogQuietly("plug-in " + culprit + " crashed while loading at the last start");
    crashed.Add(culprit);
  }
  std::set<std::string> met;
  for (const std::string& folder : folders) {
    const std::unique_ptr<DIR, int (*)(DIR*)> directory(opendir(folder.c_str()), closedir);
    if (!directory)
      continue;
    // Names first: loading a plug-in must not disturb the listing.
    std::vector<std::string> names;
    while (const dirent* entry = readdir(directory.get()))
      if (EndsWith(entry->d_name, ".so") && met.insert(entry->d_name).second)
        names.emplace_back(entry->d_name);
    for (const std::string& name : names)
      if (crashed.Skips(folder + "/" + name))
        ReportCrashed(name);
      else
        LoadFile(games, folder, name);
  }
}

void TPluginLoader::ReportCrashed(const std::string& fileName) const {
  // The trace stays English, whatever the language of the windows.
  DebugLogQuietly("plug-in " + fileName + " crashed while loading; skipped until it changes");
  if (initFailed_)
    initFailed_(Lookup("PluginLoadingError", "Plugin loading error") + ": " + fileName + "\r\n" +
                fileName + " " +
                Lookup("PluginCrashed", "crashed while loading; skipped until it changes"));
}

bool TPluginLoader::LoadFile(TGameList& games, const std::string& folder,
                             const std::string& fileName) const {
  const std::string path = folder + "/" + fileName;
  if (const std::string problem = LibraryFileProblem(path); !problem.empty()) {
    Trace(fileName, problem);
    return false;
  }

  FileVersion fileVersion;
  const PackedVersion version =
      ReadFileVersion(path, fileVersion)
          ? MakePackedVersion(fileVersion.major, fileVersion.minor, fileVersion.release)
          : 0;
  if (static_cast<int32_t>(version) < 0) {
    Trace(fileName, "major version of 128 or more");
    return false;
  }

  // Named before its code runs, so a crash or a hang leaves its name behind.
  DebugLogQuietly("loading plug-in " + path);
  const TLoadingMarker marker(InAppDir(kLoadingMarker), path);
  // Every symbol resolved now: a library that needs what is not there fails
  // here rather than in the middle of a poll.
  TLibrary library{dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)};
  if (!library.handle) {
    Trace(fileName, LoadError());
    return false;
  }
  const auto init = Export<TInitFunction>(library, "Init");
  if (!init) {
    Trace(fileName, "no Init");
    return false;
  }

  TPluginInfo* info = nullptr;
  if (!init(&host_, &info) || !info) {
    std::string message = Lookup("PluginLoadingError", "Plugin loading error") + ": " + fileName;
    if (info && info->ErrorText)
      message += "\r\n" + std::string(info->ErrorText, strnlen(info->ErrorText, kErrorTextLimit));
    Trace(fileName, "Init failed");
    if (initFailed_)
      initFailed_(message);
    return false;
  }

  const auto detach = Export<TDetachFunction>(library, "Detach");
  const auto createQuery = Export<TCreateQuery>(library, "CreateQuery");
  const auto createServer = Export<TCreateServer>(library, "CreateServer");
  const auto serverState = Export<TServerStateFunction>(library, "ServerState");

  if (!createQuery && !createServer && serverState) {
    statPlugins_.Add({fileName, version, serverState, detach, info});
    TraceLoaded(fileName, version, "statistics");
    library.handle = nullptr; // stays loaded for the program's run
    return true;
  }

  const char* refusal = nullptr;
  if (!createQuery || !createServer || serverState)
    refusal = "exports are neither a game's nor statistics'";
  else if (!info->GameInfo)
    refusal = "no GameInfo";
  else if (info->Version < kOldestPluginHostVersion || info->Version > host_.HostVersion)
    refusal = "written for another host version";
  if (!refusal) {
    auto game = std::make_unique<TGame>();
    game->RegisterFrom(*info->GameInfo);
    if (game->Defs.Key.empty())
      refusal = "empty key";
    else if (games.FindByKey(game->Defs.Key))
      refusal = "key already registered";
    if (!refusal) {
      game->PluginFile = fileName;
      game->PluginVersion = version;
      game->CreateQuery = createQuery;
      game->CreateServer = createServer;
      game->Detach = detach;
      const std::string icon = IconBytes(library);
      const int32_t image = icon.empty() || !icons_ ? -1 : icons_->AddIconData(icon);
      game->IconIndex = game->DefaultIconIndex = image < 0 ? 0 : image;
      TraceLoaded(fileName, version, "game " + game->Defs.Key);
      games.Append(std::move(game));
      library.handle = nullptr; // stays loaded for the program's run
      return true;
    }
  }
  Trace(fileName, refusal);
  return false;
}
