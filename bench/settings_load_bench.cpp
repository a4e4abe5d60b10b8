// Start-up to the first query with 10,000 and 100,000 addresses in the
// settings file: reading the file, the known servers and the address list
// must take linear time, so ten times the addresses may take about ten times
// as long. Also the memory the settings store takes while it reads a big
// file, against the file's size. Each figure is taken in a fresh child
// process (this program started again), which sends nothing: its poll ports
// only note the time of the first datagram the engine hands them.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/ConsoleEvents.h"
#include "config/IniFile.h"
#include "poll/Monitor.h"
#include "poll/PollPorts.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"
#include "util/app_dir.h"
#include "util/version.h"

namespace {

using Clock = std::chrono::steady_clock;

// Start-ups are long against the machine's noise; rounds alternate the two
// sizes so that a busy moment weighs on both.
constexpr int kRounds = 7;
constexpr int kSmall = 10000;
constexpr int kLarge = 100000;
constexpr int kChildTimeoutMs = 10 * 60 * 1000;

// Stops at the first datagram; nothing reaches a socket.
class FirstSendPorts : public IPollPorts {
public:
  void SendDatagram(const std::string&, int32_t, const std::string&) override {
    if (!sent_) {
      sent_ = true;
      firstSend_ = Clock::now();
    }
  }
  void SetCycleTimer(bool, int32_t) override {}
  void SetStepTimer(bool, int32_t) override {}
  TDateTime Now() override { return 45000.25; }
  void SetProgress(int32_t, int32_t) override {}
  void RefreshServers() override {}
  void Trace(const std::string&) override {}

  bool Sent() const { return sent_; }
  Clock::time_point FirstSend() const { return firstSend_; }

private:
  bool sent_ = false;
  Clock::time_point firstSend_;
};

// The n-th loopback host, never a .0 or .255 address.
std::string LoopbackHost(int n) {
  return "127." + std::to_string(1 + n / (254 * 254)) + "." + std::to_string(1 + n / 254 % 254) +
         "." + std::to_string(1 + n % 254);
}

// A settings file as a user with many servers has it: every address also a
// known server with a description. Updates off, loopback hosts only.
void WriteSettings(const std::filesystem::path& folder, int addresses) {
  std::ofstream out(folder / "skarvel.ini");
  out << "[Common]\nVersion=" << VersionToText(ProgramVersion()) << "\n"
      << "[Network]\nCheckUpdates=0\nInterval=600000\n\n[Address]\n";
  for (int i = 0; i < addresses; ++i)
    out << LoopbackHost(i) << ":27960,q3=1,Server " << i << ",,,\n";
  out << "\n[Description]\n";
  for (int i = 0; i < addresses; ++i)
    out << LoopbackHost(i) << ":27960,q3=Server " << i << ",,,,0,1,1,0\n";
  if (!out.flush())
    throw std::runtime_error("cannot write the settings file");
}

long PeakKilobytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.starts_with("VmHWM:"))
      return std::strtol(line.c_str() + 6, nullptr, 10);
  return 0;
}

// Child: the monitor's start in `folder`; prints the milliseconds to the
// first query.
int MeasureStartup(const std::string& folder) {
  const auto start = Clock::now();
  SetProgramFolder(folder);
  // The logs of the start go to the scratch folder.
  std::filesystem::current_path(folder);
  FirstSendPorts ports;
  TConsoleEvents events(nullptr);
  TMonitor monitor(events.Roles(), ports);
  monitor.Start(TStartupOptions{});
  if (!ports.Sent() || monitor.Addresses.Count() < kSmall) {
    std::fprintf(stderr, "the start sent no query or lost addresses\n");
    return 1;
  }
  std::printf("%.3f\n",
              std::chrono::duration<double, std::milli>(ports.FirstSend() - start).count());
  return 0;
}

// Child: reads every value of the file as the start does; prints the peak
// memory before and after, in kilobytes.
int MeasureReading(const std::string& file) {
  const long before = PeakKilobytes();
  std::size_t values = 0;
  {
    const TIniFile ini(file);
    for (const std::string& section : ini.ReadSections())
      for (const std::string& key : ini.ReadSection(section))
        values += ini.ReadRawString(section, key, "").empty() ? 0 : 1;
  }
  std::printf("%ld %ld %zu\n", before, PeakKilobytes(), values);
  return 0;
}

std::string RunChild(const std::string& mode, const std::string& argument) {
  ChildProcess child(ChildCommand{.program = std::filesystem::read_symlink("/proc/self/exe"),
                                  .args = {mode, argument}});
  const std::optional<std::string> line = child.WaitForLine("", kChildTimeoutMs);
  if (child.Wait(kChildTimeoutMs) != 0 || !line)
    throw std::runtime_error(mode + " " + argument + " failed: " + child.Errors());
  return *line;
}

double Median(std::vector<double> values) {
  std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
  return values[values.size() / 2];
}

int Compare() {
  TempDir small, large;
  WriteSettings(small.path(), kSmall);
  WriteSettings(large.path(), kLarge);
  std::vector<double> smallMs, largeMs;
  for (int round = 0; round < kRounds; ++round) {
    smallMs.push_back(std::stod(RunChild("--startup", small.path().string())));
    largeMs.push_back(std::stod(RunChild("--startup", large.path().string())));
  }
  const double smallMedian = Median(smallMs);
  const double largeMedian = Median(largeMs);
  std::printf("start-up to the first query, median of %d interleaved rounds:\n", kRounds);
  std::printf("  %6d addresses: %9.1f ms\n", kSmall, smallMedian);
  std::printf("  %6d addresses: %9.1f ms\n", kLarge, largeMedian);
  std::printf("  ratio: %.2f (target <= 12; linear is 10)\n", largeMedian / smallMedian);

  const std::string file = (large.path() / "skarvel.ini").string();
  const double fileKb = static_cast<double>(std::filesystem::file_size(file)) / 1024.0;
  long before = 0, after = 0;
  std::size_t values = 0;
  std::sscanf(RunChild("--read", file).c_str(), "%ld %ld %zu", &before, &after, &values);
  std::printf("reading the %d-address file (%.0f KiB, %zu values):\n", kLarge, fileKb, values);
  std::printf("  peak memory %ld KiB, %ld KiB above the process before reading\n", after,
              after - before);
  std::printf("  ratio to the file's size: %.2f (target <= 4)\n",
              static_cast<double>(after - before) / fileKb);
  return 0;
}

} // namespace

int main(int argc, char* argv[]) {
  try {
    if (argc == 3 && std::string(argv[1]) == "--startup")
      return MeasureStartup(argv[2]);
    if (argc == 3 && std::string(argv[1]) == "--read")
      return MeasureReading(argv[2]);
    return Compare();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "bench_settings_load: %s\n", error.what());
    return 1;
  }
}
