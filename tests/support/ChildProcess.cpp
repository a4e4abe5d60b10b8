#include "tests/support/ChildProcess.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The entries of the test's environment not named in `overrides`, then the
// overrides.
std::vector<std::string> Environment(const ChildCommand& command) {
  std::vector<std::string> environment;
  if (command.inheritEnvironment)
    for (char** entry = environ; *entry; ++entry) {
      const std::string inherited(*entry);
      const std::string name = inherited.substr(0, inherited.find('=') + 1);
      bool overridden = false;
      for (const std::string& entryOverride : command.environment)
        overridden = overridden || entryOverride.starts_with(name);
      if (!overridden)
        environment.push_back(inherited);
    }
  environment.insert(environment.end(), command.environment.begin(), command.environment.end());
  return environment;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts)
    pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

void CloseIfOpen(int& fd) {
  if (fd >= 0)
    close(fd);
  fd = -1;
}

} // namespace

ChildProcess::ChildProcess(const ChildCommand& command) {
  int out[2] = {-1, -1};
  int err[2] = {-1, -1};
  wakeFd_ = eventfd(0, EFD_CLOEXEC);
  if (wakeFd_ < 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
    for (int* fd : {&wakeFd_, &out[0], &out[1], &err[0], &err[1]})
      CloseIfOpen(*fd);
    throw std::runtime_error("cannot make the pipes for " + command.program);
  }
  stdoutFd_ = out[0];
  stderrFd_ = err[0];

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
  if (!command.workingFolder.empty())
    posix_spawn_file_actions_addchdir_np(&actions, command.workingFolder.c_str());
  std::vector<std::string> argv = {command.program};
  argv.insert(argv.end(), command.args.begin(), command.args.end());
  std::vector<std::string> environment = Environment(command);
  const int error = posix_spawn(&pid_, command.program.c_str(), &actions, nullptr,
                                Pointers(argv).data(), Pointers(environment).data());
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  close(err[1]);
  // The raw call: glibc 2.36 declares its wrapper without C linkage.
  if (error == 0)
    pidFd_ = static_cast<int>(syscall(SYS_pidfd_open, pid_, 0));
  if (error != 0 || pidFd_ < 0) {
    if (error == 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    for (int* fd : {&wakeFd_, &stdoutFd_, &stderrFd_})
      CloseIfOpen(*fd);
    throw std::runtime_error("cannot start " + command.program);
  }
  collector_ = std::thread(&ChildProcess::Collect, this);
}

ChildProcess::~ChildProcess() {
  {
    std::unique_lock lock(mutex_);
    if (!exited_) {
      Signal(SIGKILL);
      changed_.wait(lock, [this] { return exited_; });
    }
  }
  // Output a grandchild still holds open would keep the collector waiting.
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = write(wakeFd_, &one, sizeof one);
  collector_.join();
  for (int* fd : {&wakeFd_, &stdoutFd_, &stderrFd_, &pidFd_})
    CloseIfOpen(*fd);
}

void ChildProcess::Collect() {
  for (;;) {
    pollfd watched[4];
    nfds_t count = 0;
    watched[count++] = {wakeFd_, POLLIN, 0};
    if (!outputEnded_)
      watched[count++] = {stdoutFd_, POLLIN, 0};
    if (!errorsEnded_)
      watched[count++] = {stderrFd_, POLLIN, 0};
    if (!exited_)
      watched[count++] = {pidFd_, POLLIN, 0};
    if (count == 1)
      return;
    if (poll(watched, count, -1) < 0) {
      if (errno == EINTR)
        continue;
      // Nothing more can be watched: end the child so that no wait hangs.
      int status = status_;
      if (!exited_) {
        Signal(SIGKILL);
        waitpid(pid_, &status, 0);
      }
      const std::lock_guard lock(mutex_);
      outputEnded_ = errorsEnded_ = exited_ = true;
      status_ = status;
      changed_.notify_all();
      return;
    }
    if (watched[0].revents != 0)
      return;
    for (nfds_t i = 1; i < count; ++i) {
      if (watched[i].revents == 0)
        continue;
      if (watched[i].fd == pidFd_) {
        int status = 0;
        waitpid(pid_, &status, 0);
        const std::lock_guard lock(mutex_);
        exited_ = true;
        status_ = status;
      } else if (!ReadFrom(watched[i].fd)) {
        const std::lock_guard lock(mutex_);
        (watched[i].fd == stdoutFd_ ? outputEnded_ : errorsEnded_) = true;
      }
    }
    changed_.notify_all();
  }
}

bool ChildProcess::ReadFrom(int fd) {
  char buffer[4096];
  ssize_t got;
  do
    got = read(fd, buffer, sizeof buffer);
  while (got < 0 && errno == EINTR);
  if (got <= 0)
    return false;
  const std::lock_guard lock(mutex_);
  if (fd == stderrFd_) {
    errors_.append(buffer, static_cast<std::size_t>(got));
    return true;
  }
  pending_.append(buffer, static_cast<std::size_t>(got));
  for (std::size_t newline; (newline = pending_.find('\n')) != std::string::npos;) {
    lines_.push_back(pending_.substr(0, newline));
    pending_.erase(0, newline + 1);
  }
  return true;
}

bool ChildProcess::Finished() const {
  return exited_ && outputEnded_ && errorsEnded_;
}

std::optional<std::string> ChildProcess::WaitForLine(const std::string& text, int timeoutMs) {
  std::unique_lock lock(mutex_);
  std::optional<std::string> found;
  changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
    for (; taken_ < lines_.size() && !found; ++taken_)
      if (lines_[taken_].find(text) != std::string::npos)
        found = lines_[taken_];
    return found || outputEnded_;
  });
  return found;
}

int ChildProcess::Wait(int timeoutMs) {
  std::unique_lock lock(mutex_);
  if (changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return Finished(); }))
    return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
  if (!exited_)
    Signal(SIGKILL);
  changed_.wait(lock, [this] { return exited_; });
  return -1;
}

int ChildProcess::Stop(int signal, int timeoutMs) {
  Signal(signal);
  return Wait(timeoutMs);
}

void ChildProcess::Signal(int signal) const {
  // Through the pidfd, so a reaped child's number, maybe reused, is never hit.
  syscall(SYS_pidfd_send_signal, pidFd_, signal, nullptr, 0);
}

bool ChildProcess::Running() const {
  const std::lock_guard lock(mutex_);
  return !exited_;
}

std::vector<std::string> ChildProcess::Lines() const {
  const std::lock_guard lock(mutex_);
  return lines_;
}

std::string ChildProcess::Output() const {
  const std::lock_guard lock(mutex_);
  std::string output;
  for (const std::string& line : lines_)
    output += line + "\n";
  return output + pending_;
}

std::string ChildProcess::Errors() const {
  const std::lock_guard lock(mutex_);
  return errors_;
}
