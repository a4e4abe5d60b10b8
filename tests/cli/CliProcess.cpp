#include "tests/cli/CliProcess.h"

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

int MillisecondsLeft(Clock::time_point deadline) {
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return static_cast<int>(std::max<long long>(0, left));
}

std::vector<std::string> EnvironmentWithHome(const std::string& home) {
  std::vector<std::string> environment;
  for (char** entry = environ; *entry; ++entry)
    if (!std::string(*entry).starts_with("SKARVEL_HOME="))
      environment.emplace_back(*entry);
  environment.push_back("SKARVEL_HOME=" + home);
  return environment;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts)
    pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

} // namespace

CliProcess::CliProcess(const std::string& home, const std::vector<std::string>& args,
                       const std::string& startFolder) {
  int out[2];
  int err[2];
  if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
    throw std::runtime_error("pipe failed");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
  if (!startFolder.empty())
    posix_spawn_file_actions_addchdir_np(&actions, startFolder.c_str());
  std::vector<std::string> argv = {SKARVEL_CLI_PATH};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<std::string> environment = EnvironmentWithHome(home);
  const int error = posix_spawn(&pid_, SKARVEL_CLI_PATH, &actions, nullptr, Pointers(argv).data(),
                                Pointers(environment).data());
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  close(err[1]);
  stdoutFd_ = out[0];
  stderrFd_ = err[0];
  if (error != 0)
    throw std::runtime_error("cannot start " SKARVEL_CLI_PATH);
}

CliProcess::~CliProcess() {
  if (pid_ > 0)
    Stop(SIGKILL);
  for (const int fd : {stdoutFd_, stderrFd_})
    if (fd >= 0)
      close(fd);
}

bool CliProcess::ReadSome(Clock::time_point deadline) {
  pollfd watched[2];
  nfds_t count = 0;
  for (const int fd : {stdoutFd_, stderrFd_})
    if (fd >= 0)
      watched[count++] = {fd, POLLIN, 0};
  if (count == 0 || poll(watched, count, MillisecondsLeft(deadline)) <= 0)
    return stdoutFd_ >= 0;
  char buffer[4096];
  for (nfds_t i = 0; i < count; ++i) {
    if (watched[i].revents == 0)
      continue;
    const bool isOutput = watched[i].fd == stdoutFd_;
    const ssize_t got = read(watched[i].fd, buffer, sizeof buffer);
    if (got <= 0) {
      close(watched[i].fd);
      (isOutput ? stdoutFd_ : stderrFd_) = -1;
      continue;
    }
    (isOutput ? pending_ : errors_).append(buffer, static_cast<std::size_t>(got));
  }
  for (std::size_t newline; (newline = pending_.find('\n')) != std::string::npos;) {
    lines_.push_back(pending_.substr(0, newline));
    pending_.erase(0, newline + 1);
  }
  return stdoutFd_ >= 0;
}

std::optional<std::string> CliProcess::WaitForLine(const std::string& text, int timeoutMs) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    for (; taken_ < lines_.size(); ++taken_)
      if (lines_[taken_].find(text) != std::string::npos)
        return lines_[taken_++];
    if (stdoutFd_ < 0 || Clock::now() >= deadline)
      return std::nullopt;
    ReadSome(deadline);
  }
}

int CliProcess::Wait(int timeoutMs) {
  if (pid_ <= 0)
    return -1;
  // The end of both outputs tells that the program has ended.
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while ((stdoutFd_ >= 0 || stderrFd_ >= 0) && Clock::now() < deadline)
    ReadSome(deadline);
  const bool ended = stdoutFd_ < 0 && stderrFd_ < 0;
  if (!ended)
    kill(pid_, SIGKILL);
  int status = 0;
  waitpid(pid_, &status, 0);
  pid_ = -1;
  return ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int CliProcess::Stop(int signal, int timeoutMs) {
  if (pid_ > 0)
    kill(pid_, signal);
  return Wait(timeoutMs);
}

std::string CliProcess::Output() const {
  std::string output;
  for (const std::string& line : lines_)
    output += line + "\n";
  return output + pending_;
}
