#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "cli/ConsoleEvents.h"
#include "cli/ServerJson.h"
#include "cli/ServerTable.h"
#include "config/BuddyList.h"
#include "games/game.h"
#include "games/plugin.h"
#include "model/address.h"
#include "model/server.h"
#include "protocols/builtin_games.h"
#include "tests/support/ScratchProgramFolder.h"

namespace {

using nlohmann::json;

constexpr int32_t kQ3 = 3;
constexpr int32_t kQ2 = 2;

class ServerReportTest : public testing::Test {
protected:
  void SetUp() override { games.LoadGames(BuiltinGames(), THostInfo{}); }

  TServer& Add(int32_t gameId, const std::string& host, int32_t port,
               const std::array<std::string, 5>& info,
               const std::vector<std::pair<std::string, int32_t>>& players, bool online = true,
               const std::string& description = "") {
    TAddress polled(games, host, port, gameId);
    polled.Description = description;
    auto server = TServer::CreateFromReply(events.Roles(), host, port, polled, 0);
    server->Info = info;
    for (const auto& [name, frags] : players)
      server->Players.Add(std::make_unique<TPlayer>(name, frags, 0));
    server->Online = online;
    servers.Add(std::move(server));
    return servers.Items(servers.Count() - 1);
  }

  TConsoleEvents events{nullptr};
  TGameList games;
  TServerList servers;
};

TEST_F(ServerReportTest, JsonHoldsEveryOnlineServerWithTypedCountsAndPlayers) {
  Add(kQ3, "127.0.0.1", 27500, {"A \"quoted\" name\\ %s%n", "q3dm17", "20", "2", "16"},
      {{"J\xF6rg", 5}, {"Zo\xC3\xAB", -1}});
  Add(kQ3, "127.0.0.2", 27960, {"Gone", "q3dm1", "20", "0", "16"}, {}, false);
  // Quake 2 gives no frag limit.
  Add(kQ2, "127.0.0.3", 27910, {"Old\nschool", "q2dm1", "", "3", "16"}, {});

  const json parsed = json::parse(FormatServerJson(servers));
  const json expected = json::parse(R"([
    {"host": "127.0.0.1", "port": 27500, "game": "q3", "name": "A \"quoted\" name\\ %s%n",
     "map": "q3dm17", "fraglimit": 20, "players": 2, "maxplayers": 16,
     "playerlist": [{"name": "Jörg", "frags": 5}, {"name": "Zoë", "frags": -1}]},
    {"host": "127.0.0.3", "port": 27910, "game": "q2", "name": "Old\nschool", "map": "q2dm1",
     "fraglimit": null, "players": 3, "maxplayers": 16, "playerlist": []}
  ])");
  EXPECT_EQ(parsed, expected) << parsed.dump(2);
}

TEST_F(ServerReportTest, JsonMarksBuddiesOnly) {
  ScratchProgramFolder folder;
  Buddies.Add("j?rg");
  Buddies.Add("*bot*");
  Add(kQ3, "127.0.0.1", 27500, {"Rail", "q3dm17", "20", "3", "16"},
      {{"J\xC3\xB6rg", 5}, {"Zoë", 1}, {"[Bot] Ann", 0}});
  const json players = json::parse(FormatServerJson(servers))[0]["playerlist"];
  const json expected = json::parse(R"([
    {"name": "Jörg", "frags": 5, "buddy": true},
    {"name": "Zoë", "frags": 1},
    {"name": "[Bot] Ann", "frags": 0, "buddy": true}
  ])");
  EXPECT_EQ(players, expected) << players.dump(2);
}

TEST_F(ServerReportTest, JsonOfNoServersIsAnEmptyArray) {
  Add(kQ3, "127.0.0.2", 27960, {"Gone", "q3dm1", "20", "0", "16"}, {}, false);
  EXPECT_EQ(FormatServerJson(servers), "[]\n");
}

TEST_F(ServerReportTest, JsonCountsAreNumbersOnlyForPlainDecimalIntegers) {
  Add(kQ3, "127.0.0.1", 27960, {"n", "m", "-5", "007", "$10"}, {});
  Add(kQ3, "127.0.0.2", 27960, {"n", "m", "1e3", "12345678901", " 4"}, {});
  Add(kQ3, "127.0.0.3", 27960, {"n", "m", "-", "", "2147483647"}, {});
  Add(kQ3, "127.0.0.4", 27960, {"n", "m", "--", "+3", "-2147483648"}, {});
  const json parsed = json::parse(FormatServerJson(servers));
  EXPECT_EQ(parsed[0]["fraglimit"], -5);
  EXPECT_EQ(parsed[0]["players"], 7);
  EXPECT_EQ(parsed[0]["maxplayers"], "$10");
  EXPECT_EQ(parsed[1]["fraglimit"], "1e3");
  EXPECT_EQ(parsed[1]["players"], "12345678901");
  EXPECT_EQ(parsed[1]["maxplayers"], " 4");
  EXPECT_EQ(parsed[2]["fraglimit"], nullptr);
  EXPECT_EQ(parsed[2]["players"], nullptr);
  EXPECT_EQ(parsed[2]["maxplayers"], 2147483647);
  EXPECT_EQ(parsed[3]["fraglimit"], "--");
  EXPECT_EQ(parsed[3]["players"], "+3");
  EXPECT_EQ(parsed[3]["maxplayers"], -2147483648);
}

// Quake 2 replies as servers send them ("%16s %8s %2i/%2i\n"), read by the
// parser: the console shows what the window shows, and JSON gets numbers.
TEST_F(ServerReportTest, Quake2CountsReachTableAndJsonAsNumbers) {
  const std::string header = "\xFF\xFF\xFF\xFFinfo\n";
  const struct {
    const char* name;
    std::string reply;
    json players;
    json maxplayers;
    const char* cell;
  } cases[] = {
      {"busy", header + "  Big Frag Arena    q2dm1  3/16\n", 3, 16, "3/16"},
      {"small", header + "      Small Room    q2dm8  2/ 8\n", 2, 8, "2/8"},
      {"empty", header + "           Arena    q2dm1  0/16\n", 0, 16, "0/16"},
      {"cut in the counts", header + "  Big Frag Arena    q2dm1  3/1", nullptr, nullptr, "/"},
      {"wrong version", header + "Big Frag Arena: wrong version\n", nullptr, nullptr, "/"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    servers.Clear();
    TServer& server = Add(kQ2, "127.0.0.1", 27910, {}, {});
    server.AnsweredInPass = false;
    ASSERT_EQ(server.ApplyReply(0, c.reply, 0).Result, SKARVEL_PARSE_COMPLETE);
    server.CommitPass(0);
    server.Online = true;

    const json parsed = json::parse(FormatServerJson(servers));
    EXPECT_EQ(parsed[0]["players"], c.players);
    EXPECT_EQ(parsed[0]["maxplayers"], c.maxplayers);
    EXPECT_EQ(parsed[0]["fraglimit"], nullptr);
    EXPECT_EQ(parsed[0]["playerlist"].size(), c.players.is_null() ? 0 : c.players.get<size_t>());
    const std::string table = FormatServerTable(servers);
    EXPECT_NE(table.find(std::string("  ") + c.cell + "\n"), std::string::npos) << table;
  }
}

TEST_F(ServerReportTest, TableAlignsTheMainWindowColumnsAndIndentsThePlayers) {
  Add(kQ3, "127.0.0.1", 27500, {"Z\xF6rich", "q3dm17", "20", "2", "16"},
      {{"J\xF6rg", 5}, {"Zo\xC3\xAB\x1B[2J", -1}});
  Add(kQ3, "127.0.0.2", 27960, {"Gone", "q3dm1", "20", "0", "16"}, {}, false);
  Add(kQ2, "127.0.0.3", 27910, {"Old\tschool", "q2dm1", "", "3", "16"}, {}, true, "Attic");

  EXPECT_EQ(FormatServerTable(servers),
            "Host             Name        Map     Fraglimit  Players\n"
            "127.0.0.1:27500  Z\xC3\xB6rich      q3dm17  20         2/16\n"
            "    J\xC3\xB6rg     5\n"
            "    Zo\xC3\xAB?[2J  -1\n"
            "Attic            Old?school  q2dm1              3/16\n");
}

TEST_F(ServerReportTest, TableOfNoServersIsTheHeaderAlone) {
  EXPECT_EQ(FormatServerTable(servers), "Host  Name  Map  Fraglimit  Players\n");
}

} // namespace
