#pragma once

#include <optional>
#include <string>
#include <utility>

#include "config/IniFile.h"

// The settings file "skarvel.ini" in the program folder. Every access goes
// through the counted OpenIni/CloseIni bracket; the close that brings the count
// to zero writes pending changes and drops the shared accessor.

// Fixes the settings file path and creates the file with one empty line when it
// does not exist. False when it could not be created.
bool EnsureIniFile();
// The last EnsureIniFile found no settings file: this is the program's first
// start in its folder.
bool IniFileIsNew();
const std::string& IniPath();
// Why the settings file cannot be read whole (see ReadWholeFile): the front
// ends then refuse to start, as the settings store would read it as empty and
// poll the default address list, which broadcasts to the local network.
// Nothing when it reads, or when nothing stands at the path (a first start
// makes the file).
std::optional<std::string> SettingsFileProblem(const std::string& path);

void OpenIni();
// Raises EIniWriteError when the final close cannot write the file; the
// accessor is dropped either way. A close without an open does nothing.
void CloseIni();
// The shared accessor; valid only between OpenIni and the matching CloseIni.
TIniFile& Ini();
int IniOpenCount();

// Runs work inside a bracket; the close runs even when work throws (then the
// work's error wins over a failed write).
template <class Work> decltype(auto) WithIni(Work&& work) {
  OpenIni();
  try {
    if constexpr (std::is_void_v<decltype(work())>) {
      std::forward<Work>(work)();
      CloseIni();
    } else {
      decltype(auto) result = std::forward<Work>(work)();
      CloseIni();
      return result;
    }
  } catch (...) {
    try {
      CloseIni();
    } catch (...) {
    }
    throw;
  }
}
