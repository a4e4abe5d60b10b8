#pragma once

#include <dlfcn.h>

#include <cstdint>
#include <stdexcept>
#include <string>

#include "games/plugin.h"

// The built a2s.so, loaded once by path as the host loads a plug-in, with the
// exports the host looks up. Like the host, the tests never unload it.
struct A2sPlugin {
  void* library = nullptr;
  TInitFunction Init = nullptr;
  TCreateQuery CreateQuery = nullptr;
  TCreateServer CreateServer = nullptr;

  static const A2sPlugin& Get() {
    static const A2sPlugin plugin = Load();
    return plugin;
  }
  void* Symbol(const char* name) const { return dlsym(library, name); }

private:
  static A2sPlugin Load() {
    A2sPlugin plugin;
    plugin.library = dlopen(A2S_PLUGIN, RTLD_NOW | RTLD_LOCAL);
    if (!plugin.library)
      throw std::runtime_error(std::string("cannot load ") + A2S_PLUGIN + ": " + dlerror());
    plugin.Init = reinterpret_cast<TInitFunction>(plugin.Symbol("Init"));
    plugin.CreateQuery = reinterpret_cast<TCreateQuery>(plugin.Symbol("CreateQuery"));
    plugin.CreateServer = reinterpret_cast<TCreateServer>(plugin.Symbol("CreateServer"));
    if (!plugin.Init || !plugin.CreateQuery || !plugin.CreateServer)
      throw std::runtime_error("a2s.so lacks an export");
    return plugin;
  }
};
