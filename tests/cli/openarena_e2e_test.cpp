// skarvel-cli against a real OpenArena server on loopback: its colour-coded
// name, its map and the bots that join it over time.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <csignal>
#include <string>

#include "tests/cli/CliProcess.h"
#include "tests/cli/LoopbackSettings.h"
#include "tests/cli/OpenArenaServer.h"
#include "tests/support/TempDir.h"
#include "tests/support/UdpTestClient.h"

namespace {

using nlohmann::json;

TEST(OpenArenaEndToEnd, TheServerIsFoundWithItsPlainNameItsMapAndItsBots) {
  if (!OpenArenaServer::Installed())
    GTEST_SKIP() << OpenArenaServer::kProgram << " is not installed";
  TempDir serverHome;
  TempDir home;
  const int port = FreeUdpPorts("127.0.0.1", 1);
  OpenArenaServer server(serverHome.path().string(), port, "^1Skarvel ^2Arena", "oa_dm1");
  ASSERT_TRUE(server.WaitUntilAnswering(30000)) << server.Log();
  home.write("skarvel.ini", LoopbackSettings({"127.0.0.1:" + std::to_string(port) + ",q3"}));

  // Bots join over the first minute or so; wait for the first to enter.
  const std::string name = "Q3 server \"Skarvel Arena\" (127.0.0.1:" + std::to_string(port) + ")";
  {
    CliProcess cli(home.path().string(), {});
    EXPECT_EQ(cli.WaitForLine(" is online", 20000), name + " is online") << cli.Errors();
    EXPECT_TRUE(cli.WaitForLine(" entered " + name, 90000)) << cli.Output();
    EXPECT_EQ(cli.Stop(SIGTERM), 0);
  }

  CliProcess once(home.path().string(), {"--json"});
  ASSERT_EQ(once.Wait(20000), 0) << once.Errors();
  const json servers = json::parse(once.Output());
  ASSERT_EQ(servers.size(), 1u) << servers.dump(2);
  const json& found = servers[0];
  EXPECT_EQ(found["host"], "127.0.0.1");
  EXPECT_EQ(found["port"], port);
  EXPECT_EQ(found["game"], "q3");
  EXPECT_EQ(found["name"], "Skarvel Arena");
  EXPECT_EQ(found["map"], "oa_dm1");
  ASSERT_FALSE(found["playerlist"].empty()) << found.dump(2);
  EXPECT_EQ(found["players"], found["playerlist"].size());
  for (const json& bot : found["playerlist"]) {
    EXPECT_FALSE(bot["name"].get<std::string>().empty());
    EXPECT_EQ(bot["name"].get<std::string>().find('^'), std::string::npos) << bot.dump();
    EXPECT_TRUE(bot["frags"].is_number_integer());
  }
}

} // namespace
