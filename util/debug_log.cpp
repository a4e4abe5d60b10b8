#include "util/debug_log.h"

#include "util/rotating_file.h"
#include "util/text.h"

#include <cstdio>
#include <ctime>
#include <mutex>

namespace {

bool debugSwitch = false;

} // namespace

bool HasDebugSwitch(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg.size() == 6 && (arg[0] == '-' || arg[0] == '/') && UpperAscii(arg.substr(1)) == "DEBUG")
      return true;
  }
  return false;
}

bool DebugSwitch() {
  return debugSwitch;
}

void SetDebugSwitch(bool on) {
  debugSwitch = on;
}

void DebugLog(const std::string& text) {
  if (!debugSwitch)
    return;

  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  std::tm local{};
  localtime_r(&now.tv_sec, &local);
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%02d:%02d:%02d.%03d ", local.tm_hour, local.tm_min,
                local.tm_sec, static_cast<int>(now.tv_nsec / 1000000));

  // A flood of datagrams writes about 100 MB a minute: keep the last 10 to
  // 20 MiB, in this file and the one before it.
  static TRotatingFile trace("skarvel.err", kTraceLimitBytes);
  // The file stays open between lines: two threads must not reopen it at once.
  static std::mutex traceLock;
  const std::lock_guard lock(traceLock);
  if (text.size() > kTraceLineLimit)
    trace.Append(stamp + text.substr(0, kTraceLineLimit) + " ... (" +
                 std::to_string(text.size() - kTraceLineLimit) + " more bytes cut)\n");
  else
    trace.Append(stamp + text + "\n");
}

void DebugLogQuietly(const std::string& text) noexcept {
  try {
    DebugLog(text);
  } catch (...) {
  }
}
