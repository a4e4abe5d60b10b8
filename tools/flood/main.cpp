// skarvel-flood: garbage datagrams at a bounded rate to a client on loopback,
// for the flood test (scripts/flood.sh).

#include <chrono>
#include <csignal>
#include <iostream>
#include <thread>

#include "tools/flood/FloodOptions.h"
#include "tools/flood/GarbagePool.h"
#include "tools/flood/SpoofingSender.h"

namespace {

constexpr std::size_t kPoolSize = 8192;
// Sends are paced per tick; a stalled sender does not catch up more than this.
constexpr auto kTick = std::chrono::milliseconds(1);
constexpr double kMostCatchUpSeconds = 0.1;

volatile std::sig_atomic_t stopRequested = 0;

void RequestStop(int) {
  stopRequested = 1;
}

} // namespace

int main(int argc, char* argv[]) {
  const TParsedFloodOptions parsed =
      ParseFloodOptions(std::vector<std::string>(argv + 1, argv + argc));
  if (!parsed.error.empty()) {
    std::cerr << "skarvel-flood: " << parsed.error << "\n" << FloodUsage();
    return 2;
  }
  const TFloodOptions& options = parsed.options;
  if (options.help) {
    std::cout << FloodUsage();
    return 0;
  }
  std::signal(SIGINT, RequestStop);
  std::signal(SIGTERM, RequestStop);

  std::mt19937 random(options.seed);
  const TGarbagePool pool(options.seed, kPoolSize);
  TSpoofingSender sender(options.target, options.servers, random);
  if (!sender.Raw() && sender.BoundSources() == 0) {
    std::cerr << "skarvel-flood: no loopback source could be bound\n";
    return 1;
  }
  std::cerr << "skarvel-flood: " << pool.Size() << " garbage datagrams (" << pool.Screened()
            << " candidates were replies and are not sent), "
            << (sender.Raw() ? std::string("spoofed sources")
                             : std::to_string(sender.BoundSources()) + " bound sources")
            << std::endl;

  using TClock = std::chrono::steady_clock;
  const TClock::time_point start = TClock::now();
  long long sent = 0;
  long long refused = 0;
  for (;;) {
    const double elapsed = std::chrono::duration<double>(TClock::now() - start).count();
    if (elapsed >= options.seconds || stopRequested)
      break;
    const auto due = static_cast<long long>(elapsed * options.rate);
    sent = std::max(sent, due - static_cast<long long>(kMostCatchUpSeconds * options.rate));
    for (; sent < due; ++sent)
      if (!sender.Send(pool.Pick(random)))
        ++refused;
    std::this_thread::sleep_for(kTick);
  }
  const double seconds = std::chrono::duration<double>(TClock::now() - start).count();
  std::cout << "sent " << sent << " datagrams in " << seconds << " s ("
            << static_cast<long long>(sent / seconds) << "/s), " << refused << " refused"
            << std::endl;
  return 0;
}
