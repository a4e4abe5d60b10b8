// The window's weight against an empty Qt Widgets program with a tray icon
// (bench_empty_tray_window): start-up to the first datagram, resident memory
// with 100 online servers, and the X11 requests per poll cycle once nothing
// changes. Needs an X display with a tray host; scripts/window_footprint.sh
// makes one on loopback and runs this.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/FakeServerProcess.h"
#include "tests/support/TempDir.h"
#include "tests/support/UdpTestClient.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRounds = 7;
constexpr int kServers = 100;
// Cycles to wait once every server is online, before memory is read.
constexpr int kSettleCycles = 3;
// Quiet cycles over which X11 requests are counted.
constexpr int kQuietCycles = 10;
constexpr int kCycleMs = 1000;

double Median(std::vector<double> values) {
  std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
  return values[values.size() / 2];
}

// A UDP socket on a free loopback port that waits for the first datagram.
class ReadyListener {
public:
  ReadyListener() : port_(FreeUdpPorts("127.0.0.1", 1)) {
    fd_ = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port_));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd_ < 0 || bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
      throw std::runtime_error("cannot bind the listener");
  }
  ~ReadyListener() { close(fd_); }
  ReadyListener(const ReadyListener&) = delete;
  ReadyListener& operator=(const ReadyListener&) = delete;

  int Port() const { return port_; }

  // Waits for a datagram (at most 30 s) and empties the socket.
  bool WaitForDatagram() {
    pollfd waiting{fd_, POLLIN, 0};
    if (::poll(&waiting, 1, 30000) != 1)
      return false;
    char bytes[2048];
    while (recv(fd_, bytes, sizeof bytes, MSG_DONTWAIT) > 0) {
    }
    return true;
  }

private:
  int port_;
  int fd_ = -1;
};

struct Program {
  const char* name;
  std::function<ChildCommand(const std::string& folder)> command;
};

// A program folder of the monitor: loopback addresses only, no update check,
// no balloons, events logged to stats.txt.
void WriteSettings(const std::filesystem::path& folder, const std::string& address,
                   bool startInTray) {
  std::filesystem::create_directories(folder);
  std::ofstream out(folder / "skarvel.ini");
  out << "[Common]\nVersion=2.5\n[Network]\nInterval=" << kCycleMs
      << "\nMaxWaitAnswer=500\nCheckUpdates=0\nStats=1\n"
      << "[Appearance]\nStartInTray=" << (startInTray ? 1 : 0) << "\nPopupMessages=0\n"
      << "[Address]\n"
      << address << ",q3=1\n";
  std::filesystem::remove(folder / "stats.txt");
}

int OnlineLines(const std::filesystem::path& folder) {
  std::ifstream stats(folder / "stats.txt");
  int count = 0;
  for (std::string line; std::getline(stats, line);)
    count += line.ends_with(" is online") ? 1 : 0;
  return count;
}

long ResidentKilobytes(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.starts_with("VmRSS:"))
      return std::strtol(line.c_str() + 6, nullptr, 10);
  return 0;
}

void Wait(int milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

ChildCommand Monitor(const std::string& folder) {
  return {.program = SKARVEL_EXE, .environment = {"SKARVEL_HOME=" + folder}};
}

// Milliseconds from the start of the program to its first datagram.
double StartupMs(const ChildCommand& command, ReadyListener& listener) {
  const auto start = Clock::now();
  ChildProcess child(command);
  if (!listener.WaitForDatagram())
    throw std::runtime_error(command.program + " sent nothing: " + child.Errors());
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  child.Stop(SIGTERM);
  return ms;
}

// Waits until the monitor in `folder` has listed every server, then a few
// cycles more; how long that took from the start.
int WaitForAllOnline(const std::filesystem::path& folder, const ChildProcess& child) {
  const auto start = Clock::now();
  while (OnlineLines(folder) < kServers) {
    if (!child.Running() || Clock::now() - start > std::chrono::seconds(60))
      throw std::runtime_error("the monitor did not list every server: " + child.Errors());
    Wait(100);
  }
  Wait(kSettleCycles * kCycleMs);
  return static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

// Requests the client sent, as xtrace writes them ("000:<:..." lines).
long RequestLines(const std::filesystem::path& trace) {
  std::ifstream in(trace);
  long count = 0;
  for (std::string line; std::getline(in, line);)
    count += line.size() > 6 && line.compare(3, 3, ":<:") == 0 ? 1 : 0;
  return count;
}

// X11 requests per quiet cycle of a program run under xtrace.
double RequestsPerCycle(const ChildCommand& command, const std::filesystem::path& folder,
                        const std::filesystem::path& trace, bool monitor) {
  ChildProcess child(command);
  if (monitor)
    WaitForAllOnline(folder, child);
  else
    Wait((kSettleCycles + 2) * kCycleMs);
  const long before = RequestLines(trace);
  Wait(kQuietCycles * kCycleMs);
  const long after = RequestLines(trace);
  child.Stop(SIGTERM);
  return static_cast<double>(after - before) / kQuietCycles;
}

ChildCommand UnderXtrace(ChildCommand command, const std::filesystem::path& trace) {
  const char* display = std::getenv("DISPLAY");
  std::vector<std::string> args = {"xtrace", "-n", "-d",           display, "-D",
                                   ":97",    "-o", trace.string(), "--",    command.program};
  args.insert(args.end(), command.args.begin(), command.args.end());
  command.program = "/usr/bin/env";
  command.args = args;
  return command;
}

int Run() {
  if (!std::getenv("DISPLAY")) {
    std::fprintf(stderr, "bench_window_footprint needs an X display with a tray host; "
                         "scripts/window_footprint.sh makes one\n");
    return 2;
  }
  TempDir scratch;
  const int serverPort = FreeUdpPorts("127.0.0.1", 1);
  FakeServerProcess servers({"--game", "q3", "--port", std::to_string(serverPort), "--hosts",
                             std::to_string(kServers), "--players", "4"});
  if (servers.WaitForReadyLines(kServers).size() != kServers)
    throw std::runtime_error("the emulator did not start: " + servers.Errors());

  ReadyListener listener;
  const auto startFolder = scratch.path() / "start";
  const auto loadedFolder = scratch.path() / "loaded";
  const auto trayFolder = scratch.path() / "tray";
  WriteSettings(startFolder, "127.0.0.1:" + std::to_string(listener.Port()), false);
  const std::string lan = "127.255.255.255:" + std::to_string(serverPort);
  const ChildCommand empty{.program = EMPTY_EXE, .args = {std::to_string(listener.Port())}};

  std::vector<double> startMonitor, startEmpty, memoryMonitor, memoryEmpty;
  for (int round = 0; round < kRounds; ++round) {
    // The order alternates too, so that neither side always runs first.
    const auto startups = [&] {
      startMonitor.push_back(StartupMs(Monitor(startFolder.string()), listener));
      startEmpty.push_back(StartupMs(empty, listener));
    };
    if (round % 2 == 0) {
      startups();
    } else {
      startEmpty.push_back(StartupMs(empty, listener));
      startMonitor.push_back(StartupMs(Monitor(startFolder.string()), listener));
    }

    WriteSettings(loadedFolder, lan, false);
    int settledMs = 0;
    {
      ChildProcess monitor(Monitor(loadedFolder.string()));
      settledMs = WaitForAllOnline(loadedFolder, monitor);
      memoryMonitor.push_back(static_cast<double>(ResidentKilobytes(monitor.Pid())));
      monitor.Stop(SIGTERM);
    }
    {
      ChildProcess idle(empty);
      if (!listener.WaitForDatagram())
        throw std::runtime_error("the empty program did not start");
      Wait(settledMs);
      memoryEmpty.push_back(static_cast<double>(ResidentKilobytes(idle.Pid())));
      idle.Stop(SIGTERM);
    }
  }
  std::printf("median of %d interleaved rounds, %d online servers:\n", kRounds, kServers);
  std::printf("  start-up to the first datagram: window %.0f ms, empty program %.0f ms, "
              "ratio %.2f (target at most 1.3)\n",
              Median(startMonitor), Median(startEmpty), Median(startMonitor) / Median(startEmpty));
  std::printf("  resident memory: window %.0f KiB, empty program %.0f KiB, ratio %.2f "
              "(target at most 1.3)\n",
              Median(memoryMonitor), Median(memoryEmpty),
              Median(memoryMonitor) / Median(memoryEmpty));

  if (std::system("command -v xtrace >/dev/null") != 0) {
    std::printf("  X11 requests per cycle: not measured (xtrace is not installed)\n");
    return 0;
  }
  WriteSettings(trayFolder, lan, true);
  WriteSettings(loadedFolder, lan, false);
  const auto trace = scratch.path() / "x11.trace";
  const double inTray =
      RequestsPerCycle(UnderXtrace(Monitor(trayFolder.string()), trace), trayFolder, trace, true);
  const double shown = RequestsPerCycle(UnderXtrace(Monitor(loadedFolder.string()), trace),
                                        loadedFolder, trace, true);
  const double idle = RequestsPerCycle(UnderXtrace(empty, trace), scratch.path(), trace, false);
  std::printf("  X11 requests per quiet cycle: window in the tray %.1f (target 0), "
              "window shown %.1f, empty program %.1f\n",
              inTray, shown, idle);
  return 0;
}

} // namespace

int main() {
  try {
    return Run();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "bench_window_footprint: %s\n", error.what());
    return 1;
  }
}
