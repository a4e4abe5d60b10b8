// The poll engine's cost per handled datagram with 1,000 servers in the live
// list against 10: every reply is looked up among the listed servers, so the
// list's size must not dominate the work a datagram brings.
#include <chrono>
#include <cstdio>
#include <string>

#include "cli/ConsoleEvents.h"
#include "poll/Monitor.h"
#include "protocols/builtin_games.h"

namespace {

class NullPorts : public IPollPorts {
public:
  void SendDatagram(const std::string&, int32_t, const std::string&) override {}
  void SetCycleTimer(bool, int32_t) override {}
  void SetStepTimer(bool, int32_t) override {}
  TDateTime Now() override { return 46000.5; }
  void SetProgress(int32_t, int32_t) override {}
  void RefreshServers() override {}
  void Trace(const std::string&) override {}
};

const std::string kReply = "\xFF\xFF\xFF\xFFstatusResponse\n"
                           "\\sv_hostname\\Bench Arena\\mapname\\q3dm17\\fraglimit\\20"
                           "\\sv_maxclients\\16\n"
                           "12 50 \"Bob\"\n3 80 \"Eve\"\n";

std::string HostOf(int index) {
  return "10.0." + std::to_string(index / 250) + "." + std::to_string(index % 250 + 1);
}

// Nanoseconds per datagram from the last-listed server, with `servers` listed.
double NanosecondsPerDatagram(int servers, int datagrams) {
  std::FILE* quiet = std::fopen("/dev/null", "w");
  TConsoleEvents events(quiet);
  NullPorts ports;
  TMonitor monitor(events.Roles(), ports);
  monitor.Games.LoadGames(BuiltinGames(), THostInfo{});
  // A broadcast address: every sender passes the routing test and the pass
  // never advances early, so one pass takes all the replies.
  monitor.Addresses.Add(std::make_unique<TAddress>(monitor.Games, "10.0.255.255", 0, 3));
  monitor.Engine.ApplyTimerSettings(TPollSettings{}); // 500 ms a query
  monitor.Engine.Timer1Timer();
  for (int i = 0; i < servers; ++i)
    monitor.Engine.UDPDataReceived(static_cast<int32_t>(kReply.size()), HostOf(i), 27960, kReply);

  const std::string last = HostOf(servers - 1);
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < datagrams; ++i)
    monitor.Engine.UDPDataReceived(static_cast<int32_t>(kReply.size()), last, 27960, kReply);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  if (monitor.Servers.Count() != servers)
    std::fprintf(stderr, "expected %d servers, have %d\n", servers, monitor.Servers.Count());
  std::fclose(quiet);
  return std::chrono::duration<double, std::nano>(elapsed).count() / datagrams;
}

} // namespace

int main() {
  const int datagrams = 200000;
  NanosecondsPerDatagram(10, datagrams / 10); // warm-up
  const double small = NanosecondsPerDatagram(10, datagrams);
  const double large = NanosecondsPerDatagram(1000, datagrams);
  std::printf("per datagram: %.0f ns with 10 servers, %.0f ns with 1000 servers\n", small, large);
  std::printf("ratio 1000/10: %.2f (target at most 2)\n", large / small);
  return 0;
}
