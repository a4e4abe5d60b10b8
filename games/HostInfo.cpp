#include "games/HostInfo.h"

#include <cstring>
#include <exception>
#include <string>

#include "config/SettingsFile.h"
#include "util/debug_log.h"

namespace {

std::string OrEmpty(const char* text) {
  return text ? text : "";
}

// The callbacks are called from plug-in code, which no error may unwind into:
// a settings file that cannot be written is traced and the call ends.
void TraceFailure(const char* callback, const std::exception& error) noexcept {
  try {
    DebugLogQuietly(std::string("plug-in ") + callback + ": " + error.what());
  } catch (...) {
  }
}

HLOCAL SKARVEL_STDCALL ReadStringCallback(const char* section, const char* ident,
                                          const char* defaultValue) {
  std::string value = OrEmpty(defaultValue);
  try {
    value = WithIni([&] { return Ini().ReadString(OrEmpty(section), OrEmpty(ident), value); });
  } catch (const std::exception& error) {
    TraceFailure("ReadString", error);
  }
  // Exactly the value's bytes, no NUL: the plug-in takes the length from
  // LocalSize.
  HLOCAL block = LocalAlloc(LHND, value.size());
  if (block && !value.empty()) {
    std::memcpy(LocalLock(block), value.data(), value.size());
    LocalUnlock(block);
  }
  return block;
}

void SKARVEL_STDCALL WriteStringCallback(const char* section, const char* ident,
                                         const char* value) {
  try {
    WithIni([&] { Ini().WriteString(OrEmpty(section), OrEmpty(ident), OrEmpty(value)); });
  } catch (const std::exception& error) {
    TraceFailure("WriteString", error);
  }
}

int32_t SKARVEL_STDCALL ReadIntegerCallback(const char* section, const char* ident,
                                            int32_t defaultValue) {
  try {
    return WithIni(
        [&] { return Ini().ReadInteger(OrEmpty(section), OrEmpty(ident), defaultValue); });
  } catch (const std::exception& error) {
    TraceFailure("ReadInteger", error);
    return defaultValue;
  }
}

void SKARVEL_STDCALL WriteIntegerCallback(const char* section, const char* ident, int32_t value) {
  try {
    WithIni([&] { Ini().WriteInteger(OrEmpty(section), OrEmpty(ident), value); });
  } catch (const std::exception& error) {
    TraceFailure("WriteInteger", error);
  }
}

} // namespace

THostInfo& ProgramHostInfo() {
  static THostInfo host{
      0, 0, 0, ReadStringCallback, WriteStringCallback, ReadIntegerCallback, WriteIntegerCallback};
  return host;
}
