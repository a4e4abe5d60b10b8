#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A loopback address and UDP port.
struct TEndpoint {
  std::string host;
  int port = 0;
};

struct TFloodOptions {
  TEndpoint target{"127.0.0.1", 1024}; // the client's port
  int rate = 50000;                    // datagrams per second
  double seconds = 60;
  // The query endpoints of the polled servers: datagrams come from exactly
  // these, from other ports of their hosts, and from hosts ending alike.
  std::vector<TEndpoint> servers;
  uint32_t seed = 1;
  bool help = false;
};

struct TParsedFloodOptions {
  TFloodOptions options;
  std::string error; // empty when the command line was valid
};

// args without the program name. Every address must be a loopback address,
// the rate and the duration bounded.
TParsedFloodOptions ParseFloodOptions(const std::vector<std::string>& args);

std::string FloodUsage();
