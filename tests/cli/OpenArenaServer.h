#pragma once

#include <string>

#include "tests/support/ChildProcess.h"

// A real OpenArena (Quake 3 protocol) server on 127.0.0.1 with its master
// servers off and bots joining, its home in `home`; stopped (SIGTERM, then
// SIGKILL) when the object goes away.
class OpenArenaServer {
public:
  static constexpr const char* kProgram = "/usr/games/openarena-server";
  static bool Installed();

  OpenArenaServer(const std::string& home, int port, const std::string& hostname,
                  const std::string& map);
  ~OpenArenaServer();
  OpenArenaServer(const OpenArenaServer&) = delete;
  OpenArenaServer& operator=(const OpenArenaServer&) = delete;

  // Asks for its status until it answers; false when it did not within the time.
  bool WaitUntilAnswering(int timeoutMs) const;
  // What it printed so far.
  std::string Log() const;

private:
  int port_;
  ChildProcess process_;
};
