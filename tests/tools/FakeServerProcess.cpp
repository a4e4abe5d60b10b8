#include "FakeServerProcess.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace {

int MillisecondsLeft(std::chrono::steady_clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - std::chrono::steady_clock::now());
  return std::max<int>(0, static_cast<int>(left.count()));
}

} // namespace

FakeServerProcess::FakeServerProcess(const std::vector<std::string>& args) {
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0)
    throw std::runtime_error("pipe failed");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
  std::vector<std::string> argvStrings = {FAKESERVER_PATH};
  argvStrings.insert(argvStrings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : argvStrings)
    argv.push_back(arg.data());
  argv.push_back(nullptr);
  const int error = posix_spawn(&pid_, FAKESERVER_PATH, &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeFds[1]);
  stdoutFd_ = pipeFds[0];
  if (error != 0) {
    close(stdoutFd_);
    throw std::runtime_error("cannot start " FAKESERVER_PATH);
  }
}

FakeServerProcess::~FakeServerProcess() {
  if (pid_ > 0)
    Stop(SIGKILL);
  close(stdoutFd_);
}

std::vector<std::string> FakeServerProcess::WaitForReadyLines(std::size_t count, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  std::vector<std::string> lines;
  while (lines.size() < count) {
    const std::size_t newline = pending_.find('\n');
    if (newline != std::string::npos) {
      std::string line = pending_.substr(0, newline);
      pending_.erase(0, newline + 1);
      if (line.starts_with("ready "))
        lines.push_back(line);
      continue;
    }
    pollfd watched{stdoutFd_, POLLIN, 0};
    if (poll(&watched, 1, MillisecondsLeft(deadline)) <= 0)
      break;
    char buffer[4096];
    const ssize_t received = read(stdoutFd_, buffer, sizeof buffer);
    if (received <= 0)
      break;
    pending_.append(buffer, static_cast<std::size_t>(received));
  }
  return lines;
}

int FakeServerProcess::Stop(int signal, int timeoutMs) {
  if (pid_ <= 0)
    return -1;
  kill(pid_, signal);
  // The program's stdout closes when it exits; wait for that without sleeping.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  bool exiting = false;
  char buffer[4096];
  while (!exiting) {
    pollfd watched{stdoutFd_, POLLIN, 0};
    if (poll(&watched, 1, MillisecondsLeft(deadline)) <= 0)
      break;
    exiting = read(stdoutFd_, buffer, sizeof buffer) <= 0;
  }
  if (!exiting)
    kill(pid_, SIGKILL);
  int status = 0;
  waitpid(pid_, &status, 0);
  pid_ = -1;
  return exiting && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
