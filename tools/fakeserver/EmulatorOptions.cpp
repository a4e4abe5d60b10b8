#include "tools/fakeserver/EmulatorOptions.h"

#include "tools/fakeserver/GameProfile.h"

#include <arpa/inet.h>
#include <charconv>
#include <cstdlib>
#include <optional>

namespace {

// 4,000 hosts fill 127.0.0.2 .. 127.0.15.191; each costs one reply per
// broadcast, not a socket.
constexpr int kMaxHosts = 4000;
constexpr int kMaxServers = 64;

std::optional<long long> ParseInteger(const std::string& text) {
  long long value = 0;
  const char* end = text.data() + text.size();
  auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || stop != end || text.empty())
    return std::nullopt;
  return value;
}

std::optional<double> ParseSeconds(const std::string& text) {
  if (text.empty())
    return std::nullopt;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || !(value > 0) || value > 86400)
    return std::nullopt;
  return value;
}

// Only loopback addresses and the wildcard: the emulator never faces a real
// network.
bool IsAllowedBindAddress(const std::string& text) {
  in_addr address{};
  if (inet_pton(AF_INET, text.c_str(), &address) != 1)
    return false;
  const uint32_t host = ntohl(address.s_addr);
  return host == INADDR_ANY || (host >> 24) == 127;
}

} // namespace

std::string EmulatorUsage() {
  return "Usage: skarvel-fakeserver --game KEY [options]\n"
         "Answers status queries on loopback as real game servers do.\n"
         "\n"
         "  --game KEY        ut, u4, q2, q3, cs, csp, css or a2s\n"
         "  --port N          game port (default: the game's); queries arrive on the\n"
         "                    game port plus the game's query port offset (ut, u4: +1)\n"
         "  --bind ADDR       loopback address or 0.0.0.0 to listen on (default 127.0.0.1)\n"
         "  --count N         N servers on consecutive game ports, names suffixed \" #1\"...\n"
         "  --hosts N         N machines 127.0.0.2, 127.0.0.3, ... (up to 4000, over\n"
         "                    127.0.x.y, no .0 or .255), one server each on the same\n"
         "                    port; they also answer broadcasts to 127.255.255.255\n"
         "  --name TEXT       server name (default \"Skarvel Test Server\")\n"
         "  --map TEXT        map (default: a map of the game)\n"
         "  --max N           maximum players, 1..255 (default 16); a2s: up to 1000, told\n"
         "                    as a Rust server tells them (see the README)\n"
         "  --players N       players at start (default 0)\n"
         "  --churn SECONDS   a player joins or leaves every SECONDS\n"
         "  --drop PERCENT    ignore this share of the requests\n"
         "  --out-of-order    send replies of several datagrams in shuffled order\n"
         "  --seed N          seed of every random choice (default 1)\n"
         "  --no-challenge    a2s: answer info and player requests without a challenge\n"
         "  --split BYTES     a2s: send replies longer than BYTES as split datagrams of at\n"
         "                    most BYTES each, 64..65507 (default 1200)\n"
         "  --help            this text\n"
         "\n"
         "Prints \"ready <game> <address>:<queryport> <name>\" per server, then runs\n"
         "until SIGTERM or SIGINT.\n";
}

ParsedOptions ParseEmulatorOptions(const std::vector<std::string>& args) {
  ParsedOptions parsed;
  EmulatorOptions& options = parsed.options;
  bool bindGiven = false;
  bool countGiven = false;
  std::string a2sOption; // the last option given that only a2s knows
  std::size_t next = 0;
  auto value = [&args, &next]() -> std::optional<std::string> {
    if (next >= args.size())
      return std::nullopt;
    return args[next++];
  };

  auto fail = [&parsed](const std::string& message) {
    parsed.error = message;
    return parsed;
  };
  auto integer = [&value](long long low, long long high) -> std::optional<long long> {
    std::optional<std::string> text = value();
    if (!text)
      return std::nullopt;
    std::optional<long long> number = ParseInteger(*text);
    if (!number || *number < low || *number > high)
      return std::nullopt;
    return number;
  };

  while (next < args.size()) {
    const std::string& option = args[next++];
    if (option == "--help") {
      options.help = true;
      return parsed;
    } else if (option == "--game") {
      std::optional<std::string> key = value();
      if (!key || !FindGameProfile(*key))
        return fail("--game needs one of: ut, u4, q2, q3, cs, csp, css, a2s");
      options.gameKey = *key;
    } else if (option == "--port") {
      std::optional<long long> port = integer(1, 65535);
      if (!port)
        return fail("--port needs a port number 1..65535");
      options.gamePort = static_cast<int>(*port);
    } else if (option == "--bind") {
      std::optional<std::string> address = value();
      if (!address || !IsAllowedBindAddress(*address))
        return fail("--bind needs a loopback address (127.x.x.x) or 0.0.0.0");
      options.bindAddress = *address;
      bindGiven = true;
    } else if (option == "--count") {
      std::optional<long long> count = integer(1, kMaxServers);
      if (!count)
        return fail("--count needs a number 1.." + std::to_string(kMaxServers));
      options.count = static_cast<int>(*count);
      countGiven = true;
    } else if (option == "--hosts") {
      std::optional<long long> hosts = integer(1, kMaxHosts);
      if (!hosts)
        return fail("--hosts needs a number 1.." + std::to_string(kMaxHosts));
      options.hosts = static_cast<int>(*hosts);
    } else if (option == "--name") {
      std::optional<std::string> name = value();
      if (!name || name->empty())
        return fail("--name needs a text");
      options.name = *name;
    } else if (option == "--map") {
      std::optional<std::string> map = value();
      if (!map || map->empty())
        return fail("--map needs a text");
      options.map = *map;
    } else if (option == "--max") {
      std::optional<long long> max = integer(1, kMaxA2sSlots);
      if (!max)
        return fail("--max needs a number 1..255, for --game a2s 1.." +
                    std::to_string(kMaxA2sSlots));
      options.maxPlayers = static_cast<int>(*max);
    } else if (option == "--players") {
      std::optional<long long> players = integer(0, 255);
      if (!players)
        return fail("--players needs a number 0..255");
      options.players = static_cast<int>(*players);
    } else if (option == "--churn") {
      std::optional<std::string> text = value();
      std::optional<double> seconds = text ? ParseSeconds(*text) : std::nullopt;
      if (!seconds)
        return fail("--churn needs a number of seconds above 0");
      options.churnSeconds = *seconds;
    } else if (option == "--drop") {
      std::optional<long long> percent = integer(0, 100);
      if (!percent)
        return fail("--drop needs a percentage 0..100");
      options.dropPercent = static_cast<int>(*percent);
    } else if (option == "--out-of-order") {
      options.outOfOrder = true;
    } else if (option == "--seed") {
      std::optional<long long> seed = integer(0, 0xFFFFFFFFLL);
      if (!seed)
        return fail("--seed needs a number 0..4294967295");
      options.seed = static_cast<uint32_t>(*seed);
    } else if (option == "--no-challenge") {
      options.a2s.challenge = false;
      a2sOption = option;
    } else if (option == "--split") {
      std::optional<long long> bytes = integer(kMinSplitBytes, kMaxSplitBytes);
      if (!bytes)
        return fail("--split needs a number of bytes " + std::to_string(kMinSplitBytes) + ".." +
                    std::to_string(kMaxSplitBytes));
      options.a2s.splitBytes = static_cast<std::size_t>(*bytes);
      a2sOption = option;
    } else {
      return fail("unknown option " + option);
    }
  }

  const GameProfile* profile = FindGameProfile(options.gameKey);
  if (!profile)
    return fail("--game is required");
  if (!a2sOption.empty() && options.gameKey != "a2s")
    return fail(a2sOption + " is an option of --game a2s only");
  if (options.maxPlayers > 255 && options.gameKey != "a2s")
    return fail("--max above 255 is for --game a2s only");
  if (options.hosts > 0 && (countGiven || bindGiven))
    return fail("--hosts binds 0.0.0.0 and cannot be combined with --count or --bind");
  if (options.players > options.maxPlayers)
    return fail("--players cannot exceed --max");
  if (options.gamePort == 0)
    options.gamePort = profile->defaultGamePort;
  if (options.map.empty())
    options.map = profile->defaultMap;
  options.queryPort = options.gamePort + profile->queryPortOffset;
  if (options.queryPort + options.count - 1 > 65535)
    return fail("the query ports of all servers must stay below 65536");
  return parsed;
}
