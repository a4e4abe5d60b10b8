#include "tests/cli/OpenArenaServer.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "tests/tools/UdpTestClient.h"

namespace {

using Clock = std::chrono::steady_clock;

// Waits (bounded) for the child to end and reaps it; false when it is still
// running.
bool Reaped(pid_t pid, int timeoutMs) {
  // The raw call: glibc 2.36 declares its wrapper without C linkage.
  const int fd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
  if (fd >= 0) {
    pollfd watched{fd, POLLIN, 0};
    poll(&watched, 1, timeoutMs);
    close(fd);
  }
  return waitpid(pid, nullptr, WNOHANG) != 0;
}

} // namespace

bool OpenArenaServer::Installed() {
  return access(kProgram, X_OK) == 0;
}

OpenArenaServer::OpenArenaServer(const std::string& home, int port, const std::string& hostname,
                                 const std::string& map)
    : port_(port) {
  // Loopback only, masters off (no heartbeat, not even a name look-up), IPv4
  // only, no console on the terminal.
  const std::vector<std::pair<std::string, std::string>> settings = {
      {"ttycon", "0"},
      {"dedicated", "1"},
      {"net_enabled", "1"},
      {"net_ip", "127.0.0.1"},
      {"net_port", std::to_string(port)},
      {"sv_master1", ""},
      {"sv_master2", ""},
      {"sv_master3", ""},
      {"sv_master4", ""},
      {"sv_master5", ""},
      {"bot_enable", "1"},
      {"bot_minplayers", "3"},
      {"sv_hostname", hostname}};
  std::vector<std::string> args = {kProgram};
  for (const auto& [name, value] : settings)
    args.insert(args.end(), {"+set", name, value});
  args.insert(args.end(), {"+map", map});
  std::vector<char*> argv;
  for (std::string& arg : args)
    argv.push_back(arg.data());
  argv.push_back(nullptr);
  std::vector<std::string> environment = {"HOME=" + home, "PATH=/usr/bin:/bin"};
  std::vector<char*> envp;
  for (std::string& entry : environment)
    envp.push_back(entry.data());
  envp.push_back(nullptr);

  const std::string log = home + "/openarena.log";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  const int error = posix_spawn(&pid_, kProgram, &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0)
    throw std::runtime_error(std::string("cannot start ") + kProgram);
}

OpenArenaServer::~OpenArenaServer() {
  kill(pid_, SIGTERM);
  if (!Reaped(pid_, 5000)) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
}

bool OpenArenaServer::WaitUntilAnswering(int timeoutMs) const {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  UdpTestClient client;
  while (Clock::now() < deadline) {
    client.Send("127.0.0.1", port_, "\xFF\xFF\xFF\xFFgetstatus");
    if (client.Receive(500))
      return true;
  }
  return false;
}
