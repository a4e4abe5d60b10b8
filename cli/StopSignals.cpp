#include "cli/StopSignals.h"

#include <cerrno>
#include <csignal>
#include <sys/signalfd.h>
#include <system_error>
#include <unistd.h>

namespace {

sigset_t StopSet() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  return set;
}

} // namespace

TStopSignals::TStopSignals() {
  const sigset_t set = StopSet();
  if (sigprocmask(SIG_BLOCK, &set, nullptr) != 0)
    throw std::system_error(errno, std::generic_category(), "cannot block the stop signals");
  fd_ = signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
  if (fd_ < 0)
    throw std::system_error(errno, std::generic_category(), "cannot watch the stop signals");
}

TStopSignals::~TStopSignals() {
  close(fd_);
}

bool TStopSignals::Take() {
  signalfd_siginfo info;
  return read(fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info);
}
