#include "tests/cli/OpenArenaServer.h"

#include <chrono>
#include <csignal>
#include <unistd.h>
#include <utility>
#include <vector>

#include "tests/support/UdpTestClient.h"

namespace {

// Loopback only, masters off (no heartbeat, not even a name look-up), IPv4
// only, no console on the terminal.
std::vector<std::string> ServerArguments(int port, const std::string& hostname,
                                         const std::string& map) {
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
  std::vector<std::string> args;
  for (const auto& [name, value] : settings)
    args.insert(args.end(), {"+set", name, value});
  args.insert(args.end(), {"+map", map});
  return args;
}

} // namespace

bool OpenArenaServer::Installed() {
  return access(kProgram, X_OK) == 0;
}

OpenArenaServer::OpenArenaServer(const std::string& home, int port, const std::string& hostname,
                                 const std::string& map)
    : port_(port), process_({.program = kProgram,
                             .args = ServerArguments(port, hostname, map),
                             .environment = {"HOME=" + home, "PATH=/usr/bin:/bin"},
                             .inheritEnvironment = false}) {
}

OpenArenaServer::~OpenArenaServer() {
  process_.Stop(SIGTERM);
}

bool OpenArenaServer::WaitUntilAnswering(int timeoutMs) const {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  UdpTestClient client;
  while (Clock::now() < deadline) {
    client.Send("127.0.0.1", port_, "\xFF\xFF\xFF\xFFgetstatus");
    if (client.Receive(500))
      return true;
  }
  return false;
}

std::string OpenArenaServer::Log() const {
  return process_.Output() + process_.Errors();
}
