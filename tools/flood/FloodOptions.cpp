#include "tools/flood/FloodOptions.h"

#include <arpa/inet.h>
#include <charconv>
#include <optional>

namespace {

// Enough to swamp a client, not enough to swamp the machine for long.
constexpr int kMaxRate = 200000;
constexpr double kMaxSeconds = 600;

std::optional<long long> WholeNumber(const std::string& text) {
  long long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size())
    return std::nullopt;
  return value;
}

bool IsLoopback(const std::string& host) {
  in_addr address{};
  return inet_pton(AF_INET, host.c_str(), &address) == 1 && (ntohl(address.s_addr) >> 24) == 127;
}

std::optional<TEndpoint> ParseEndpoint(const std::string& text) {
  const std::size_t colon = text.rfind(':');
  if (colon == std::string::npos)
    return std::nullopt;
  const std::string host = text.substr(0, colon);
  const auto port = WholeNumber(text.substr(colon + 1));
  if (!IsLoopback(host) || !port || *port < 1 || *port > 65535)
    return std::nullopt;
  return TEndpoint{host, static_cast<int>(*port)};
}

} // namespace

TParsedFloodOptions ParseFloodOptions(const std::vector<std::string>& args) {
  TParsedFloodOptions parsed;
  TFloodOptions& options = parsed.options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& option = args[i];
    if (option == "--help") {
      options.help = true;
      continue;
    }
    if (i + 1 >= args.size()) {
      parsed.error = option + ": value missing";
      return parsed;
    }
    const std::string& value = args[++i];
    if (option == "--to" || option == "--server") {
      const auto endpoint = ParseEndpoint(value);
      if (!endpoint) {
        parsed.error = option + ": not a loopback address and port: " + value;
        return parsed;
      }
      if (option == "--to")
        options.target = *endpoint;
      else
        options.servers.push_back(*endpoint);
    } else if (option == "--rate") {
      const auto rate = WholeNumber(value);
      if (!rate || *rate < 1 || *rate > kMaxRate) {
        parsed.error = "--rate: 1 to " + std::to_string(kMaxRate) + " datagrams per second";
        return parsed;
      }
      options.rate = static_cast<int>(*rate);
    } else if (option == "--seconds") {
      const auto seconds = WholeNumber(value);
      if (!seconds || *seconds < 1 || *seconds > kMaxSeconds) {
        parsed.error = "--seconds: 1 to " + std::to_string(static_cast<int>(kMaxSeconds));
        return parsed;
      }
      options.seconds = static_cast<double>(*seconds);
    } else if (option == "--seed") {
      const auto seed = WholeNumber(value);
      if (!seed || *seed < 0 || *seed > 0xFFFFFFFFLL) {
        parsed.error = "--seed: a number from 0 to 4294967295";
        return parsed;
      }
      options.seed = static_cast<uint32_t>(*seed);
    } else {
      parsed.error = "unknown option " + option;
      return parsed;
    }
  }
  return parsed;
}

std::string FloodUsage() {
  return "usage: skarvel-flood [--to HOST:PORT] [--server HOST:PORT]... [--rate N]\n"
         "                     [--seconds N] [--seed N]\n"
         "Sends garbage datagrams to HOST:PORT (default 127.0.0.1:1024) on loopback only,\n"
         "at N per second (default 50000, at most 200000) for N seconds (default 60, at\n"
         "most 600), from the --server endpoints, other ports of their hosts, hosts that\n"
         "end alike and random loopback hosts. Sources are spoofed through a raw socket\n"
         "when allowed (root), else sockets are bound to the loopback sources that are free.\n";
}
