// A full poll cycle over 1, 10 and 100 emulated servers, with the early
// advance, against the sum of a plain C client's blocking round trips to the
// same servers: the limit for a cycle that sends one query per step.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/ConsoleEvents.h"
#include "cli/ConsoleLoop.h"
#include "cli/ConsolePorts.h"
#include "cli/StopSignals.h"
#include "cli/UdpSocket.h"
#include "poll/Monitor.h"
#include "protocols/builtin_games.h"
#include "tests/support/FakeServerProcess.h"
#include "tests/support/UdpTestClient.h"
#include "util/DatagramReader.h"

namespace {

using Clock = std::chrono::steady_clock;

// Loopback times are short and the emulator shares the cores: each figure is
// the median of this many rounds, raw and cycle taken in turn.
constexpr int kRounds = 101;

double Milliseconds(Clock::duration elapsed) {
  return std::chrono::duration<double, std::milli>(elapsed).count();
}

double Median(std::vector<double> values) {
  std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
  return values[values.size() / 2];
}

const std::string kGetStatus = "\xFF\xFF\xFF\xFFgetstatus";

// The yardstick: what a plain C program does, one blocking sendto and recv
// after the other into a buffer on the stack, nothing else per reply.
class BlockingClient {
public:
  BlockingClient() : fd_(socket(AF_INET, SOCK_DGRAM, 0)) {
    if (fd_ < 0)
      throw std::runtime_error("no UDP socket");
    // Only so that a lost reply cannot hang the benchmark.
    const timeval timeout{2, 0};
    setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  }
  ~BlockingClient() { close(fd_); }
  BlockingClient(const BlockingClient&) = delete;
  BlockingClient& operator=(const BlockingClient&) = delete;

  bool RoundTrip(int port) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<uint16_t>(port));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (sendto(fd_, kGetStatus.data(), kGetStatus.size(), 0, reinterpret_cast<sockaddr*>(&to),
               sizeof to) < 0)
      return false;
    char reply[2048];
    return recv(fd_, reply, sizeof reply, 0) > 0;
  }

private:
  int fd_;
};

// One query after the other, each waiting for its answer.
double RawRoundTrips(BlockingClient& client, int firstPort, int servers) {
  const auto start = Clock::now();
  for (int i = 0; i < servers; ++i)
    if (!client.RoundTrip(firstPort + i))
      std::fprintf(stderr, "no answer from port %d\n", firstPort + i);
  return Milliseconds(Clock::now() - start);
}

struct Figures {
  double cycle;
  double raw;
};

Figures Measure(int firstPort, int servers) {
  std::FILE* quiet = std::fopen("/dev/null", "w");
  TConsoleEvents events(quiet);
  TUdpSocket socket;
  TConsolePorts ports(socket);
  TStopSignals stop;
  TMonitor monitor(events.Roles(), ports);
  monitor.Games.LoadGames(BuiltinGames(), THostInfo{});
  for (int i = 0; i < servers; ++i)
    monitor.Addresses.Add(std::make_unique<TAddress>(monitor.Games, "127.0.0.1", firstPort + i, 3));
  TPollSettings settings;
  settings.Interval = 600000;
  settings.MaxWaitAnswer = 1000; // only the early advance keeps a cycle short
  monitor.Engine.ApplyTimerSettings(settings);
  TDatagramReader reader(socket.Fds());
  TConsoleLoop loop(socket, reader, ports, monitor.Engine, stop, [](const std::string&) {});
  BlockingClient client;
  const auto runCycle = [&] {
    const auto start = Clock::now();
    monitor.Engine.Timer1Timer();
    loop.Run([&] { return !monitor.Engine.Polling(); });
    return Milliseconds(Clock::now() - start);
  };
  runCycle(); // the first cycle makes the server records
  RawRoundTrips(client, firstPort, servers);
  std::vector<double> cycles, raws;
  for (int round = 0; round < kRounds; ++round) {
    raws.push_back(RawRoundTrips(client, firstPort, servers));
    cycles.push_back(runCycle());
  }
  if (monitor.Servers.Count() != servers)
    std::fprintf(stderr, "cycle found %d of %d servers\n", monitor.Servers.Count(), servers);
  std::fclose(quiet);
  return {Median(cycles), Median(raws)};
}

} // namespace

int main() {
  // One emulator serves at most 64 servers: two of them make the hundred.
  const int firstPort = FreeUdpPorts("127.0.0.1", 100);
  FakeServerProcess lower(
      {"--game", "q3", "--port", std::to_string(firstPort), "--count", "50", "--players", "4"});
  FakeServerProcess upper({"--game", "q3", "--port", std::to_string(firstPort + 50), "--count",
                           "50", "--players", "4"});
  if (lower.WaitForReadyLines(50).size() != 50 || upper.WaitForReadyLines(50).size() != 50) {
    std::fprintf(stderr, "the emulator did not start\n");
    return 1;
  }
  for (int servers : {1, 10, 100}) {
    const Figures figures = Measure(firstPort, servers);
    std::printf("%3d servers: cycle %.3f ms, blocking C round trips %.3f ms (medians), "
                "ratio %.2f (target at most 1.5)\n",
                servers, figures.cycle, figures.raw, figures.cycle / figures.raw);
  }
  return 0;
}
