#include "util/debug_log.h"

#include "util/text.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace {

bool debugSwitch = false;

[[noreturn]] void ThrowFileError(const char* what, int error) {
  throw std::runtime_error(std::string("skarvel.err: ") + what + ": " + std::strerror(error));
}

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
  const std::string line = stamp + text + "\n";

  // Open, append and close for every line, so the trace survives a crash and
  // other processes may read it while we run.
  const int fd = open("skarvel.err", O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0)
    ThrowFileError("cannot open", errno);
  std::size_t written = 0;
  while (written < line.size()) {
    const ssize_t n = write(fd, line.data() + written, line.size() - written);
    if (n < 0) {
      if (errno == EINTR)
        continue;
      const int error = errno;
      close(fd);
      ThrowFileError("cannot write", error);
    }
    written += static_cast<std::size_t>(n);
  }
  if (close(fd) != 0)
    ThrowFileError("cannot close", errno);
}
