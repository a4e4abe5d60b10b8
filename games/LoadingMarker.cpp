#include "games/LoadingMarker.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace {

constexpr int kStopSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The handler may only use what is async-signal-safe: the path sits here.
char markerToRemove[4096];
struct sigaction savedActions[std::size(kStopSignals)];
sigset_t savedMask;

extern "C" void EndOnStop(int signal) {
  unlink(markerToRemove);
  struct sigaction standard {};
  standard.sa_handler = SIG_DFL;
  sigemptyset(&standard.sa_mask);
  sigaction(signal, &standard, nullptr);
  raise(signal); // delivered when the handler returns, and ends the process
}

sigset_t StopSet() {
  sigset_t set;
  sigemptyset(&set);
  for (int signal : kStopSignals)
    sigaddset(&set, signal);
  return set;
}

bool ProcessRuns(pid_t pid) {
  return pid > 0 && (kill(pid, 0) == 0 || errno == EPERM);
}

} // namespace

TLoadingMarker::TLoadingMarker(const std::string& markerPath, const std::string& pluginPath) {
  const std::string text = std::to_string(getpid()) + "\n" + pluginPath + "\n";
  // Written through at once: a crash right after must find it on disk.
  const int fd = open(markerPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd >= 0) {
    [[maybe_unused]] const ssize_t written = write(fd, text.data(), text.size());
    close(fd);
  }
  std::snprintf(markerToRemove, sizeof markerToRemove, "%s", markerPath.c_str());

  struct sigaction stop {};
  stop.sa_handler = EndOnStop;
  sigemptyset(&stop.sa_mask);
  for (std::size_t i = 0; i < std::size(kStopSignals); ++i)
    sigaction(kStopSignals[i], &stop, &savedActions[i]);
  const sigset_t set = StopSet();
  pthread_sigmask(SIG_UNBLOCK, &set, &savedMask);
}

TLoadingMarker::~TLoadingMarker() {
  // Blocked again before the handlers go back, so a stop that comes now
  // waits for the front end as before.
  pthread_sigmask(SIG_SETMASK, &savedMask, nullptr);
  for (std::size_t i = 0; i < std::size(kStopSignals); ++i)
    sigaction(kStopSignals[i], &savedActions[i], nullptr);
  unlink(markerToRemove);
}

std::string TLoadingMarker::Leftover(const std::string& markerPath) {
  std::ifstream in(markerPath);
  long pid = 0;
  std::string plugin;
  if (!in)
    return {};
  if (in >> pid && in.ignore() && std::getline(in, plugin) && pid != getpid() &&
      ProcessRuns(static_cast<pid_t>(pid)))
    return {};
  std::remove(markerPath.c_str());
  return plugin;
}
