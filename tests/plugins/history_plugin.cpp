#include "tests/plugins/history_plugin.h"

#include <cstring>
#include <dlfcn.h>
#include <memory>
#include <stdexcept>

namespace {

// The fake host's settings file: the one value the plug-in reads.
std::optional<std::string> databaseSetting;

HLOCAL SKARVEL_STDCALL ReadString(const char* section, const char* ident,
                                  const char* defaultValue) {
  const bool known = databaseSetting && std::strcmp(section, "History") == 0 &&
                     std::strcmp(ident, "Database") == 0;
  const std::string value = known ? *databaseSetting : defaultValue;
  HLOCAL block = LocalAlloc(LHND, value.size());
  std::memcpy(LocalLock(block), value.data(), value.size());
  LocalUnlock(block);
  return block;
}

void SKARVEL_STDCALL WriteString(const char*, const char*, const char*) {
}

int32_t SKARVEL_STDCALL ReadInteger(const char*, const char*, int32_t defaultValue) {
  return defaultValue;
}

void SKARVEL_STDCALL WriteInteger(const char*, const char*, int32_t) {
}

const THostInfo kHost = {0x02050000u, 0, 3000, ReadString, WriteString, ReadInteger, WriteInteger};
const THostInfo kHostWithoutSettings = {0x02050000u, 0, 3000, nullptr, nullptr, nullptr, nullptr};

template <typename Function> Function Export(void* library, const char* name) {
  return reinterpret_cast<Function>(dlsym(library, name));
}

// A heap block of exactly the texts, each followed by one NUL, so that a
// read past the end is a read past the block.
std::unique_ptr<char[]> Texts(const std::vector<std::string>& texts) {
  std::size_t size = 0;
  for (const std::string& text : texts)
    size += text.size() + 1;
  auto block = std::make_unique<char[]>(size);
  char* at = block.get();
  for (const std::string& text : texts) {
    std::memcpy(at, text.c_str(), text.size() + 1);
    at += text.size() + 1;
  }
  return block;
}

} // namespace

HistoryPlugin::HistoryPlugin(const std::string& library)
    : library_(dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL)) {
  if (!library_)
    throw std::runtime_error("cannot load " + library + ": " + dlerror());
  init_ = Export<TInitFunction>(library_, "Init");
  serverState_ = Export<TServerStateFunction>(library_, "ServerState");
  detach_ = Export<TDetachFunction>(library_, "Detach");
  if (!init_ || !serverState_ || !detach_)
    throw std::runtime_error(library + " lacks an export of a statistics plug-in");
}

HistoryPlugin::~HistoryPlugin() {
  if (attached_)
    detach_();
  dlclose(library_);
}

int32_t HistoryPlugin::Init(std::optional<std::string> database) {
  databaseSetting = std::move(database);
  pluginInfo_ = nullptr;
  const int32_t result = init_(&kHost, &pluginInfo_);
  attached_ = result != 0;
  return result;
}

int32_t HistoryPlugin::InitWithoutSettings() {
  pluginInfo_ = nullptr;
  const int32_t result = init_(&kHostWithoutSettings, &pluginInfo_);
  attached_ = result != 0;
  return result;
}

void HistoryPlugin::ServerState(const ServerPoll& poll) {
  ServerState(poll, static_cast<int32_t>(poll.info.size()));
}

void HistoryPlugin::ServerState(const ServerPoll& poll, int32_t infoCount) {
  const TGameInfo game = {7777, 1, poll.game.c_str(), "Game", "G", "&Game", "", "", nullptr};
  const TServerStateInfo server = {&game, poll.address.c_str(), poll.title.c_str()};
  const std::vector<std::string> info(poll.info.begin(), poll.info.begin() + infoCount);
  std::vector<std::string> names;
  std::vector<int32_t> frags;
  for (const auto& [name, playerFrags] : poll.players) {
    names.push_back(name);
    frags.push_back(playerFrags);
  }
  const auto infoBlock = Texts(info);
  const auto namesBlock = names.empty() ? Texts({""}) : Texts(names);
  const auto fragsBlock = std::make_unique<int32_t[]>(frags.size());
  std::copy(frags.begin(), frags.end(), fragsBlock.get());
  serverState_(&server, infoCount, info.empty() ? nullptr : infoBlock.get(),
               static_cast<int32_t>(names.size()), namesBlock.get(),
               frags.empty() ? nullptr : fragsBlock.get());
}

void HistoryPlugin::Detach() {
  detach_();
  attached_ = false;
}

const uint16_t* HistoryPlugin::FileVersion() const {
  return static_cast<const uint16_t*>(dlsym(library_, "FileVersion"));
}
