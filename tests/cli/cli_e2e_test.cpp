// skarvel-cli against the game-server emulator over real loopback sockets.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <csignal>
#include <ctime>
#include <filesystem>
#include <iterator>
#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <sys/stat.h>
#include <utility>
#include <vector>

#include "tests/cli/CliProcess.h"
#include "tests/cli/LoopbackSettings.h"
#include "tests/support/FakeServerProcess.h"
#include "tests/support/TempDir.h"
#include "tests/support/UdpTestClient.h"

namespace {

using nlohmann::json;

constexpr int kRunMs = 20000;   // one --once run, start to end
constexpr int kEventMs = 20000; // one awaited event line

class CliEndToEnd : public testing::Test {
protected:
  void WriteSettings(const std::vector<std::string>& addresses, bool withVersion = true) {
    home.write("skarvel.ini", LoopbackSettings(addresses, withVersion));
  }
  std::unique_ptr<CliProcess> Start(const std::vector<std::string>& args) {
    return std::make_unique<CliProcess>(home.path().string(), args);
  }
  // The servers that one cycle found, from --json.
  json OnceJson() {
    CliProcess cli(home.path().string(), {"--json"});
    EXPECT_EQ(cli.Wait(kRunMs), 0) << cli.Errors();
    return json::parse(cli.Output());
  }
  // An emulator on free ports, ready to answer; its game port.
  int StartEmulator(const std::string& game, int queryPortOffset,
                    std::vector<std::string> options) {
    const int queryPort = FreeUdpPorts("127.0.0.1", 1);
    const int gamePort = queryPort - queryPortOffset;
    options.insert(options.begin(), {"--game", game, "--port", std::to_string(gamePort)});
    emulators.push_back(std::make_unique<FakeServerProcess>(options));
    EXPECT_EQ(emulators.back()->WaitForReadyLines(1).size(), 1u) << game;
    return gamePort;
  }

  TempDir home;
  std::vector<std::unique_ptr<FakeServerProcess>> emulators;
};

struct TraceLine {
  long dayMs; // its stamp: milliseconds of the local day
  std::string text;
};

// The stamped lines of skarvel.err. Datagram bytes may hold line breaks of
// their own; the stamped lines hold the texts.
std::vector<TraceLine> ReadTrace(const std::string& trace) {
  std::vector<TraceLine> lines;
  const std::regex stamped("([0-9]{2}):([0-5][0-9]):([0-5][0-9])\\.([0-9]{3}) (.*)");
  std::size_t start = 0;
  for (std::size_t end; (end = trace.find('\n', start)) != std::string::npos; start = end + 1) {
    const std::string line = trace.substr(start, end - start);
    std::smatch match;
    if (std::regex_match(line, match, stamped))
      lines.push_back(
          {((std::stol(match[1]) * 60 + std::stol(match[2])) * 60 + std::stol(match[3])) * 1000 +
               std::stol(match[4]),
           match[5]});
  }
  return lines;
}

// Milliseconds of the local day now, on the clock of the trace's stamps.
long LocalDayMsNow() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  std::tm local{};
  localtime_r(&now.tv_sec, &local);
  return ((local.tm_hour * 60L + local.tm_min) * 60 + local.tm_sec) * 1000 + now.tv_nsec / 1000000;
}

struct GameCase {
  std::string key;
  int queryPortOffset;
  json fraglimit;
  json players;
  json maxplayers;
  std::vector<std::string> playerNames;
};

TEST_F(CliEndToEnd, OnceJsonFindsEveryGameTypeWithItsInfoAndPlayers) {
  // Non-ASCII names arrive as Latin-1 from the 8-bit games, as UTF-16 from
  // UT2004 and as UTF-8 from Source; all come out as UTF-8. Quake 3 names lose
  // their colour codes; Quake 2 invents one placeholder per player. The two
  // challenge games list their players in the first cycle too: the challenge a
  // new server gave while it was still pending goes with its player query.
  const std::vector<GameCase> games = {
      {"ut", 1, 25, 2, 16, {"Jörg", "Zoë"}},
      {"u4", 1, 25, 2, 16, {"Jörg", "Zoë"}},
      {"q2", 0, nullptr, 2, 16, {"Player1", "Player2"}},
      {"q3", 0, 25, 2, 16, {"RedBaron", "Bob"}},
      {"cs", 0, nullptr, 2, 16, {"Jörg", "Zoë"}},
      {"csp", 0, nullptr, 2, 16, {"Jörg", "Zoë"}},
      {"css", 0, nullptr, 2, 16, {"Jörg", "Zoë"}},
  };
  std::vector<std::string> addresses;
  std::vector<int> ports;
  for (const GameCase& game : games) {
    ports.push_back(
        StartEmulator(game.key, game.queryPortOffset,
                      {"--players", "2", "--name", "E2E " + game.key, "--map", "map-" + game.key}));
    addresses.push_back("127.0.0.1:" + std::to_string(ports.back()) + "," + game.key);
  }
  WriteSettings(addresses);

  const json servers = OnceJson();
  ASSERT_TRUE(servers.is_array());
  ASSERT_EQ(servers.size(), games.size()) << servers.dump(2);
  for (std::size_t i = 0; i < games.size(); ++i) {
    const GameCase& game = games[i];
    const json& server = servers[i];
    SCOPED_TRACE(game.key);
    EXPECT_EQ(server["host"], "127.0.0.1");
    EXPECT_EQ(server["port"], ports[i]);
    EXPECT_EQ(server["game"], game.key);
    EXPECT_EQ(server["name"], "E2E " + game.key);
    EXPECT_EQ(server["map"], "map-" + game.key);
    EXPECT_EQ(server["fraglimit"], game.fraglimit);
    EXPECT_EQ(server["players"], game.players);
    EXPECT_EQ(server["maxplayers"], game.maxplayers);
    std::vector<std::string> names;
    for (const json& player : server["playerlist"]) {
      names.push_back(player["name"]);
      ASSERT_TRUE(player["frags"].is_number_integer());
      EXPECT_GE(player["frags"], game.key == "q2" ? 0 : -1);
      EXPECT_LE(player["frags"], 30);
    }
    EXPECT_EQ(names, game.playerNames);
  }
}

TEST_F(CliEndToEnd, OnceTableShowsTheServerUnderItsDescriptionFollowedByItsPlayers) {
  const int port = StartEmulator("q3", 0, {"--players", "2", "--name", "Table Test"});
  WriteSettings({"127.0.0.1:" + std::to_string(port) + ",q3=1,\"My Arena\""});

  CliProcess cli(home.path().string(), {"--once"});
  ASSERT_EQ(cli.Wait(kRunMs), 0) << cli.Errors();
  const std::vector<std::string>& lines = cli.Lines();
  ASSERT_EQ(lines.size(), 4u) << cli.Output();
  EXPECT_TRUE(std::regex_match(lines[0], std::regex("Host +Name +Map +Fraglimit +Players")))
      << lines[0];
  EXPECT_TRUE(std::regex_match(lines[1], std::regex("My Arena +Table Test +q3dm17 +25 +2/16")))
      << lines[1];
  for (const auto& [column, cell] : std::vector<std::pair<std::string, std::string>>{
           {"Name", "Table Test"}, {"Map", "q3dm17"}, {"Fraglimit", "25"}, {"Players", "2/16"}})
    EXPECT_EQ(lines[0].find(column), lines[1].find(cell)) << column << " is not aligned";
  EXPECT_TRUE(std::regex_match(lines[2], std::regex("    RedBaron  -?[0-9]+"))) << lines[2];
  EXPECT_TRUE(std::regex_match(lines[3], std::regex("    Bob       -?[0-9]+"))) << lines[3];
}

TEST_F(CliEndToEnd, EveryHostBehindTheBroadcastAddressBecomesAServer) {
  const int port = FreeUdpPorts("0.0.0.0", 1);
  emulators.push_back(std::make_unique<FakeServerProcess>(std::vector<std::string>{
      "--game", "q3", "--port", std::to_string(port), "--hosts", "3", "--name", "LAN"}));
  ASSERT_EQ(emulators.back()->WaitForReadyLines(3).size(), 3u);
  WriteSettings({"127.255.255.255:" + std::to_string(port) + ",q3"});

  const json servers = OnceJson();
  std::vector<std::string> found;
  for (const json& server : servers) {
    found.push_back(server["host"].get<std::string>() + ":" +
                    std::to_string(server["port"].get<int>()) + " " +
                    server["name"].get<std::string>());
  }
  std::sort(found.begin(), found.end());
  const std::string p = std::to_string(port);
  EXPECT_EQ(found,
            (std::vector<std::string>{"127.0.0.2:" + p + " LAN #1", "127.0.0.3:" + p + " LAN #2",
                                      "127.0.0.4:" + p + " LAN #3"}));
}

// A LAN of 1,000 servers answers a broadcast within a few milliseconds, far
// more replies than a socket's default receive buffer holds; every one of them
// must be listed after one cycle.
TEST_F(CliEndToEnd, AThousandHostsBehindTheBroadcastAddressAreAllListedInOneCycle) {
  constexpr std::size_t kHosts = 1000;
  const int port = FreeUdpPorts("0.0.0.0", 1);
  emulators.push_back(std::make_unique<FakeServerProcess>(
      std::vector<std::string>{"--game", "q3", "--port", std::to_string(port), "--hosts",
                               std::to_string(kHosts), "--players", "2", "--name", "LAN"}));
  const std::vector<std::string> ready = emulators.back()->WaitForReadyLines(kHosts, kRunMs);
  ASSERT_EQ(ready.size(), kHosts);
  // A loaded machine may be slow to schedule either side: the step waits long
  // enough for the replies to be read however late, and a reply lost from the
  // buffer never comes back within the cycle.
  home.write("skarvel.ini",
             LoopbackSettings({"127.255.255.255:" + std::to_string(port) + ",q3"}, true, 5000));

  std::vector<std::string> expected; // "host:port name", as the ready lines give them
  for (const std::string& line : ready)
    expected.push_back(line.substr(std::string("ready q3 ").size()));
  std::vector<std::string> found;
  for (const json& server : OnceJson())
    found.push_back(server["host"].get<std::string>() + ":" +
                    std::to_string(server["port"].get<int>()) + " " +
                    server["name"].get<std::string>());
  std::sort(expected.begin(), expected.end());
  std::sort(found.begin(), found.end());
  std::vector<std::string> missing;
  std::set_difference(expected.begin(), expected.end(), found.begin(), found.end(),
                      std::back_inserter(missing));
  EXPECT_TRUE(found == expected) << found.size() << " listed, " << missing.size()
                                 << " missing, the first: "
                                 << (missing.empty() ? "" : missing.front());
}

TEST_F(CliEndToEnd, ChurnPrintsEnteredAndLeftLinesAsTheyHappen) {
  const int port = StartEmulator("q3", 0, {"--players", "2", "--churn", "0.2", "--name", "Churn"});
  WriteSettings({"127.0.0.1:" + std::to_string(port) + ",q3"});
  const std::string server = " Q3 server \"Churn\" (127.0.0.1:" + std::to_string(port) + ")";

  auto cli = Start({});
  const std::string online = server.substr(1) + " is online";
  EXPECT_EQ(cli->WaitForLine(online, kEventMs), online);
  const auto entered = cli->WaitForLine(" entered" + server, kEventMs);
  const auto left = cli->WaitForLine(" left" + server, kEventMs);
  ASSERT_TRUE(entered && left) << cli->Output();
  EXPECT_TRUE(std::regex_match(*entered, std::regex("Player [^ ]+ entered.*"))) << *entered;
  EXPECT_TRUE(std::regex_match(*left, std::regex("Player [^ ]+ left.*"))) << *left;
  EXPECT_EQ(cli->Stop(SIGINT), 0);
  EXPECT_EQ(cli->Errors(), "");
}

// The emulator's Quake 3 players include "^1Red^7Baron", whom the protocol
// hands on as "RedBaron".
TEST_F(CliEndToEnd, BuddiesAreAnnouncedAloneWithBuddiesAndMarkedInJson) {
  const int port = StartEmulator("q3", 0, {"--players", "3", "--name", "Rail"});
  home.write("skarvel.ini", LoopbackSettings({"127.0.0.1:" + std::to_string(port) + ",q3"}) +
                                "[Buddies]\n0=*baron\n1=Nobody\n");

  auto cli = Start({"--buddies"});
  const std::string joined = "RedBaron joined Q3 server “Rail” (q3dm17, 3/16)";
  EXPECT_EQ(cli->WaitForLine("joined", kEventMs), joined) << cli->Output();
  EXPECT_EQ(cli->Stop(SIGINT), 0);
  EXPECT_EQ(cli->Lines(), std::vector<std::string>{joined}) << "only buddy events";
  EXPECT_EQ(cli->Errors(), "");

  const json servers = OnceJson();
  ASSERT_EQ(servers.size(), 1u) << servers.dump(2);
  std::vector<std::string> buddies;
  for (const json& player : servers[0]["playerlist"])
    if (player.value("buddy", false))
      buddies.push_back(player["name"]);
  EXPECT_EQ(buddies, std::vector<std::string>{"RedBaron"}) << servers.dump(2);
}

TEST_F(CliEndToEnd, AKilledServerGoesOfflineOnceAfterTheThresholdAndComesBackOnline) {
  const int port = StartEmulator("q3", 0, {"--name", "Doomed"});
  WriteSettings({"127.0.0.1:" + std::to_string(port) + ",q3"});
  const std::string server = "Q3 server \"Doomed\" (127.0.0.1:" + std::to_string(port) + ")";

  auto cli = Start({"-debug"});
  ASSERT_TRUE(cli->WaitForLine(server + " is online", kEventMs)) << cli->Output();
  emulators.back()->Stop(SIGKILL);
  ASSERT_TRUE(cli->WaitForLine(server + " is offline", kEventMs)) << cli->Output();
  const long offlineReadMs = LocalDayMsNow();
  // Interval 1000 ms: dropped once silent for more than 2 s. The trace's last
  // line of a reply from it was written before that reply counted, and the
  // offline line was read after it was printed, so however late either came,
  // more than 2 s lie between them (both clocks in whole milliseconds).
  const std::string replyFrom = " <127.0.0.1:" + std::to_string(port) + " ";
  std::optional<long> lastReplyMs;
  for (const TraceLine& line : ReadTrace(home.read("skarvel.err")))
    if (line.text.starts_with(replyFrom))
      lastReplyMs = line.dayMs;
  ASSERT_TRUE(lastReplyMs);
  constexpr long kDayMs = 24L * 60 * 60 * 1000;
  EXPECT_GT((offlineReadMs - *lastReplyMs + kDayMs) % kDayMs, 2000);

  // Back on the same port it must come online as a new server: a record that
  // stayed behind (and said offline again) would take its replies instead.
  emulators.push_back(std::make_unique<FakeServerProcess>(std::vector<std::string>{
      "--game", "q3", "--port", std::to_string(port), "--name", "Doomed"}));
  ASSERT_EQ(emulators.back()->WaitForReadyLines(1).size(), 1u);
  ASSERT_TRUE(cli->WaitForLine(server + " is online", kEventMs)) << cli->Output();
  EXPECT_EQ(cli->Stop(SIGTERM), 0);
  EXPECT_EQ(cli->Lines(), (std::vector<std::string>{server + " is online", server + " is offline",
                                                    server + " is online"}));
}

TEST_F(CliEndToEnd, TheDebugSwitchWritesThePollTraceToSkarvelErr) {
  const int port = StartEmulator("q3", 0, {"--name", "Traced"});
  WriteSettings({"127.0.0.1:" + std::to_string(port) + ",q3"});
  const std::string target = "127.0.0.1:" + std::to_string(port);

  for (const char* spelling : {"-DEBUG", "/debug", "-Debug"}) {
    SCOPED_TRACE(spelling);
    std::filesystem::remove(home.path() / "skarvel.err");
    CliProcess cli(home.path().string(), {"--once", spelling});
    ASSERT_EQ(cli.Wait(kRunMs), 0) << cli.Errors();
    std::vector<std::string> texts;
    for (const TraceLine& line : ReadTrace(home.read("skarvel.err")))
      texts.push_back(line.text);
    ASSERT_FALSE(texts.empty());
    const auto has = [&](const std::string& prefix) {
      return std::any_of(texts.begin(), texts.end(),
                         [&](const std::string& text) { return text.starts_with(prefix); });
    };
    EXPECT_TRUE(texts.front().starts_with("UDP receive buffer ")) << texts.front();
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts[1], "----------------");
    EXPECT_TRUE(has("qry " + target + " q3"));
    EXPECT_TRUE(has("->" + target + " \xFF\xFF\xFF\xFFgetstatus"));
    EXPECT_TRUE(has(" <" + target + " \xFF\xFF\xFF\xFFstatusResponse"));
    EXPECT_TRUE(has("new q3,res=2"));
    EXPECT_EQ(texts.back(), "================================");
  }

  std::filesystem::remove(home.path() / "skarvel.err");
  CliProcess quiet(home.path().string(), {"--once"});
  ASSERT_EQ(quiet.Wait(kRunMs), 0) << quiet.Errors();
  EXPECT_FALSE(home.exists("skarvel.err"));
}

TEST_F(CliEndToEnd, ASettingsFileWithoutVersionGetsOne) {
  const int port = StartEmulator("q3", 0, {});
  WriteSettings({"127.0.0.1:" + std::to_string(port) + ",q3"}, false);
  CliProcess cli(home.path().string(), {"--once"});
  ASSERT_EQ(cli.Wait(kRunMs), 0) << cli.Errors();
  EXPECT_NE(home.read("skarvel.ini").find("[Common]\nVersion=2.5\n"), std::string::npos)
      << home.read("skarvel.ini");
}

TEST_F(CliEndToEnd, ARelativeSkarvelHomeIsTakenFromTheStartingFolder) {
  const int port = StartEmulator("q3", 0, {"--name", "Relative Home"});
  home.write("home/skarvel.ini",
             LoopbackSettings({"127.0.0.1:" + std::to_string(port) + ",q3=1,Found"}));
  // Where the settings would be looked for from inside the folder; nothing
  // answers there, so a wrong turn polls no further than loopback.
  home.write("home/home/skarvel.ini", LoopbackSettings({"127.0.0.1:9,q3"}));

  CliProcess cli("home", {"--once"}, home.path().string());
  ASSERT_EQ(cli.Wait(kRunMs), 0) << cli.Errors();
  ASSERT_EQ(cli.Lines().size(), 2u) << cli.Output(); // the header and the server
  EXPECT_TRUE(cli.Lines()[1].starts_with("Found ")) << cli.Lines()[1];
  EXPECT_NE(cli.Lines()[1].find("Relative Home"), std::string::npos) << cli.Lines()[1];
}

TEST_F(CliEndToEnd, AMissingRelativeSkarvelHomeIsReportedByItsFullPath) {
  CliProcess cli("missing/", {"--once"}, home.path().string());
  EXPECT_EQ(cli.Wait(kRunMs), 1);
  const std::string folder = std::filesystem::canonical(home.path()).string() + "/missing";
  EXPECT_EQ(cli.Errors(), "skarvel-cli: the program folder " + folder + " does not exist\n");
  EXPECT_EQ(cli.Output(), "");
}

// An installed copy keeps its settings in $XDG_CONFIG_HOME/skarvel.
TEST_F(CliEndToEnd, WithoutSkarvelHomeTheSettingsComeFromTheUserConfigFolder) {
  if (std::filesystem::exists(std::filesystem::path(SKARVEL_CLI_PATH).parent_path() /
                              "skarvel.ini"))
    GTEST_SKIP() << "the build folder holds a skarvel.ini: it is a portable copy";
  const int port = StartEmulator("q3", 0, {"--name", "Per User"});
  home.write("config/skarvel/skarvel.ini",
             LoopbackSettings({"127.0.0.1:" + std::to_string(port) + ",q3"}));
  ChildProcess cli({.program = SKARVEL_CLI_PATH,
                    .args = {"--json"},
                    .environment = {"SKARVEL_HOME=", "XDG_CONFIG_HOME=" + home.file("config")}});
  ASSERT_EQ(cli.Wait(kRunMs), 0) << cli.Errors();
  const json servers = json::parse(cli.Output());
  ASSERT_EQ(servers.size(), 1u) << servers.dump(2);
  EXPECT_EQ(servers[0]["name"], "Per User");
}

// Nothing is polled when there is no place for the settings.
TEST_F(CliEndToEnd, AnUnusableUserConfigFolderStopsItWithTheReason) {
  const std::string file = home.write("plain", "");
  ChildProcess cli({.program = SKARVEL_CLI_PATH,
                    .args = {"--once"},
                    .environment = {"SKARVEL_HOME=", "XDG_CONFIG_HOME=" + file}});
  EXPECT_EQ(cli.Wait(kRunMs), 1);
  EXPECT_EQ(cli.Errors(), "skarvel-cli: cannot create the program folder " + file +
                              "/skarvel: Not a directory\n");
  EXPECT_EQ(cli.Output(), "");
}

// A settings file that cannot be read whole stops the program before it
// polls: the store would read it as empty, and the default address list
// broadcasts to the local network.
class CliUnreadableSettings
    : public CliEndToEnd,
      public testing::WithParamInterface<std::pair<const char*, const char*>> {};

TEST_P(CliUnreadableSettings, StopsWithTheReasonBeforePolling) {
  const auto& [kind, reason] = GetParam();
  const std::string settings = home.file("skarvel.ini");
  if (std::string(kind) == "pipe")
    ASSERT_EQ(mkfifo(settings.c_str(), 0600), 0);
  else if (std::string(kind) == "zero")
    std::filesystem::create_symlink("/dev/zero", settings);
  else
    std::filesystem::resize_file(home.write("skarvel.ini", ""), 64 * 1024 * 1024 + 1);
  CliProcess cli(home.path().string(), {"--once"});
  EXPECT_EQ(cli.Wait(kRunMs), 1);
  EXPECT_EQ(cli.Errors(),
            "skarvel-cli: cannot read the settings file " + settings + ": " + reason + "\n");
  EXPECT_EQ(cli.Output(), "");
}

INSTANTIATE_TEST_SUITE_P(Files, CliUnreadableSettings,
                         testing::Values(std::pair{"pipe", "not a regular file"},
                                         std::pair{"zero", "not a regular file"},
                                         std::pair{"big", "larger than 64 MiB"}),
                         [](const auto& test) { return std::string(test.param.first); });

struct UsageCase {
  std::vector<std::string> args;
  int exitCode;
  std::string output;    // the start of standard output
  std::string errorPart; // a part of standard error; empty: none at all
};

class CliUsage : public testing::TestWithParam<UsageCase> {};

TEST_P(CliUsage, AnswersWithoutPolling) {
  const UsageCase& usage = GetParam();
  TempDir home;
  // Should it poll after all, nothing listens there.
  home.write("skarvel.ini", LoopbackSettings({"127.0.0.1:9,q3"}));
  CliProcess cli(home.path().string(), usage.args);
  EXPECT_EQ(cli.Wait(kRunMs), usage.exitCode);
  EXPECT_TRUE(cli.Output().starts_with(usage.output)) << cli.Output();
  if (usage.errorPart.empty())
    EXPECT_EQ(cli.Errors(), "");
  else
    EXPECT_NE(cli.Errors().find(usage.errorPart), std::string::npos) << cli.Errors();
}

INSTANTIATE_TEST_SUITE_P(
    Options, CliUsage,
    testing::Values(UsageCase{{"--version"}, 0, "skarvel-cli 2.5\n", ""},
                    UsageCase{{"--help"}, 0, "Usage: skarvel-cli", ""},
                    UsageCase{{"--once", "--verbose"}, 2, "", "unknown option \"--verbose\""},
                    UsageCase{{"--debug"}, 2, "", "unknown option \"--debug\""},
                    UsageCase{{"debug"}, 2, "", "Usage: skarvel-cli"}));

} // namespace
