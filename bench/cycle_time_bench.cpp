// A full poll cycle over 1, 10 and 100 emulated servers, with the early
// advance, against the sum of plain UDP round trips to the same servers: the
// limit for a cycle that sends one query per step.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>

#include "cli/ConsoleEvents.h"
#include "cli/ConsoleLoop.h"
#include "cli/ConsolePorts.h"
#include "cli/StopSignals.h"
#include "cli/UdpSocket.h"
#include "config/AppSettings.h"
#include "poll/Monitor.h"
#include "tests/tools/FakeServerProcess.h"
#include "tests/tools/UdpTestClient.h"

namespace {

using Clock = std::chrono::steady_clock;

// Cycles are short: each figure is the mean of this many.
constexpr int kRepeats = 50;

double Milliseconds(Clock::duration elapsed) {
  return std::chrono::duration<double, std::milli>(elapsed).count();
}

const std::string kGetStatus = "\xFF\xFF\xFF\xFFgetstatus";

// One query after the other, each waiting for its answer.
double RawRoundTrips(int firstPort, int servers) {
  UdpTestClient client;
  const auto start = Clock::now();
  for (int repeat = 0; repeat < kRepeats; ++repeat)
    for (int i = 0; i < servers; ++i) {
      client.Send("127.0.0.1", firstPort + i, kGetStatus);
      if (!client.Receive(2000))
        std::fprintf(stderr, "no answer from port %d\n", firstPort + i);
    }
  return Milliseconds(Clock::now() - start) / kRepeats;
}

double OneCycle(int firstPort, int servers) {
  std::FILE* quiet = std::fopen("/dev/null", "w");
  TConsoleEvents events(quiet);
  TUdpSocket socket;
  TConsolePorts ports(socket);
  TStopSignals stop;
  TMonitor monitor(events, ports);
  monitor.LoadGames();
  for (int i = 0; i < servers; ++i)
    monitor.Addresses.Add(std::make_unique<TAddress>(monitor.Games, "127.0.0.1", firstPort + i, 3));
  monitor.Engine.ApplyTimerSettings();
  TConsoleLoop loop(socket, ports, monitor.Engine, stop);
  const auto runCycle = [&] {
    monitor.Engine.Timer1Timer();
    loop.Run([&] { return !monitor.Engine.Polling(); });
  };
  runCycle(); // the first cycle makes the server records
  const auto start = Clock::now();
  for (int i = 0; i < kRepeats; ++i)
    runCycle();
  const double elapsed = Milliseconds(Clock::now() - start) / kRepeats;
  if (monitor.Servers.Count() != servers)
    std::fprintf(stderr, "cycle found %d of %d servers\n", monitor.Servers.Count(), servers);
  std::fclose(quiet);
  return elapsed;
}

} // namespace

int main() {
  AppSettings.MaxWaitAnswer = 1000; // only the early advance keeps a cycle short
  AppSettings.Interval = 600000;
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
    RawRoundTrips(firstPort, servers); // warm-up
    const double raw = RawRoundTrips(firstPort, servers);
    const double cycle = OneCycle(firstPort, servers);
    std::printf("%3d servers: cycle %.2f ms, raw round trips %.2f ms, ratio %.2f (target at "
                "most 1.5)\n",
                servers, cycle, raw, cycle / raw);
  }
  return 0;
}
