// skarvel-cli with the a2s plug-in in its program folder, against emulated
// Source servers of today over real loopback sockets.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tests/cli/CliProcess.h"
#include "tests/cli/LoopbackSettings.h"
#include "tests/support/FakeServerProcess.h"
#include "tests/support/TempDir.h"
#include "tests/support/UdpTestClient.h"
#include "tools/fakeserver/ServerState.h"

namespace {

using nlohmann::json;

constexpr int kRunMs = 20000; // one --once run, start to end

class CliA2sEndToEnd : public testing::Test {
protected:
  void SetUp() override { std::filesystem::copy_file(A2S_PLUGIN, home.file("a2s.so")); }
  json OnceJson(const std::vector<std::string>& addresses) {
    home.write("skarvel.ini", LoopbackSettings(addresses));
    CliProcess cli(home.path().string(), {"--once", "--json"});
    EXPECT_EQ(cli.Wait(kRunMs), 0) << cli.Errors();
    return json::parse(cli.Output());
  }

  TempDir home;
};

// A challenge for the info and one for the players, and the player list in
// three datagrams: all of it within the one cycle of --once.
TEST_F(CliA2sEndToEnd, ListsAChallengingServerWithItsSplitPlayerList) {
  const int port = FreeUdpPorts("127.0.0.1", 1);
  FakeServerProcess server({"--game", "a2s", "--port", std::to_string(port), "--name", "Fortress",
                            "--map", "pl_upward", "--players", "12", "--split", "200"});
  ASSERT_EQ(server.WaitForReadyLines(1).size(), 1u);

  const json servers = OnceJson({"127.0.0.1:" + std::to_string(port) + ",a2s"});
  ASSERT_EQ(servers.size(), 1u) << servers.dump(2);
  const json& listed = servers[0];
  EXPECT_EQ(listed["host"], "127.0.0.1");
  EXPECT_EQ(listed["port"], port);
  EXPECT_EQ(listed["game"], "a2s");
  EXPECT_EQ(listed["name"], "Fortress");
  EXPECT_EQ(listed["map"], "pl_upward");
  EXPECT_EQ(listed["fraglimit"], "Team Fortress");
  EXPECT_EQ(listed["players"], 12);
  EXPECT_EQ(listed["maxplayers"], 16);

  // The emulator's players: the same seed makes the same list.
  ServerSetup setup;
  setup.initialPlayers = 12;
  setup.clanTaggedNames = true;
  const ServerState emulated(setup);
  json expected = json::array();
  for (const PlayerRecord& player : emulated.Players())
    expected.push_back({{"name", player.name}, {"frags", player.frags}});
  EXPECT_EQ(listed["playerlist"], expected);
}

// A server of more than 255 slots sends the counts' low bytes (3 of 63 for
// 3 of 575) and the true counts in its keywords, as Rust servers do.
TEST_F(CliA2sEndToEnd, ARustSizedServerShowsTheCountsOfItsKeywords) {
  const int port = FreeUdpPorts("127.0.0.1", 1);
  FakeServerProcess server({"--game", "a2s", "--port", std::to_string(port), "--name", "Rust",
                            "--players", "3", "--max", "575"});
  ASSERT_EQ(server.WaitForReadyLines(1).size(), 1u);

  const json servers = OnceJson({"127.0.0.1:" + std::to_string(port) + ",a2s"});
  ASSERT_EQ(servers.size(), 1u) << servers.dump(2);
  EXPECT_EQ(servers[0]["players"], 3);
  EXPECT_EQ(servers[0]["maxplayers"], 575);
  EXPECT_EQ(servers[0]["playerlist"].size(), 3u);
}

// Every game whose servers answer a new client with a challenge first: one
// cycle lists every server with its players.
class CliChallengeEndToEnd : public CliA2sEndToEnd,
                             public testing::WithParamInterface<std::string> {};

TEST_P(CliChallengeEndToEnd, FirstCycleListsEveryServerWithItsPlayers) {
  constexpr int kServers = 3;
  const std::string game = GetParam();
  const int port = FreeUdpPorts("127.0.0.1", kServers);
  FakeServerProcess emulator({"--game", game, "--port", std::to_string(port), "--count",
                              std::to_string(kServers), "--players", "2"});
  ASSERT_EQ(emulator.WaitForReadyLines(kServers).size(), static_cast<std::size_t>(kServers));
  std::vector<std::string> addresses;
  for (int i = 0; i < kServers; ++i)
    addresses.push_back("127.0.0.1:" + std::to_string(port + i) + "," + game);

  const json servers = OnceJson(addresses);
  ASSERT_EQ(servers.size(), static_cast<std::size_t>(kServers)) << servers.dump(2);
  for (int i = 0; i < kServers; ++i) {
    const json& listed = servers[static_cast<std::size_t>(i)];
    EXPECT_EQ(listed["port"], port + i);
    EXPECT_EQ(listed["name"], "Skarvel Test Server #" + std::to_string(i + 1));
    EXPECT_EQ(listed["playerlist"].size(), 2u) << listed.dump(2);
  }
}

INSTANTIATE_TEST_SUITE_P(Games, CliChallengeEndToEnd, testing::Values("csp", "css", "a2s"),
                         [](const testing::TestParamInfo<std::string>& game) {
                           return game.param;
                         });

TEST_F(CliA2sEndToEnd, EveryServerBehindTheBroadcastAddressIsListed) {
  const int port = FreeUdpPorts("0.0.0.0", 1);
  FakeServerProcess lan({"--game", "a2s", "--port", std::to_string(port), "--hosts", "3", "--name",
                         "LAN", "--players", "2"});
  ASSERT_EQ(lan.WaitForReadyLines(3).size(), 3u);

  const json servers = OnceJson({"127.255.255.255:" + std::to_string(port) + ",a2s"});
  std::vector<std::string> found;
  for (const json& server : servers)
    found.push_back(
        server["host"].get<std::string>() + ":" + std::to_string(server["port"].get<int>()) + " " +
        server["name"].get<std::string>() + " " + std::to_string(server["playerlist"].size()));
  std::sort(found.begin(), found.end());
  const std::string p = std::to_string(port);
  EXPECT_EQ(found, (std::vector<std::string>{"127.0.0.2:" + p + " LAN #1 2",
                                             "127.0.0.3:" + p + " LAN #2 2",
                                             "127.0.0.4:" + p + " LAN #3 2"}));
}

} // namespace
