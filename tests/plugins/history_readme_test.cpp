#include <gtest/gtest.h>

#include <ctime>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/plugins/history_database.h"
#include "tests/plugins/history_plugin.h"
#include "tests/support/TempDir.h"

namespace {

using Row = HistoryDatabase::Row;

// The README's SQL blocks, in order.
std::vector<std::string> ReadmeQueries() {
  std::ifstream in(HISTORY_README);
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::vector<std::string> queries;
  const std::string open = "```sql\n";
  for (std::size_t start = text.find(open); start != std::string::npos;
       start = text.find(open, start)) {
    start += open.size();
    const std::size_t end = text.find("```", start);
    if (end == std::string::npos)
      break;
    queries.push_back(text.substr(start, end - start));
    start = end + 3;
  }
  return queries;
}

// How SQLite's 'localtime' shows a UTC time of the test data.
std::string Local(const std::string& utc, const char* format) {
  std::tm parts{};
  strptime(utc.c_str(), "%Y-%m-%dT%H:%M:%SZ", &parts);
  const std::time_t time = timegm(&parts);
  std::tm local{};
  localtime_r(&time, &local);
  char text[32];
  std::strftime(text, sizeof text, format, &local);
  return text;
}

struct TimedPoll {
  std::string time;
  ServerPoll poll;
};

struct Server {
  std::string game, address, title, name, map;
};

const Server kUt = {"ut", "127.0.0.1", "Demo UT", "Deck Party", "DM-Deck16]["};
const Server kQuake2 = {"q2", "127.0.0.1", "Demo Quake 2", "Q2 Base Camp", "q2dm1"};
const Server kUt2004 = {"u4", "127.0.0.1:7787", "Demo UT2004", "Rankin Brawl", "DM-Rankin"};

ServerPoll Poll(const Server& server, const std::string& players,
                std::vector<std::pair<std::string, int32_t>> names) {
  ServerPoll poll;
  poll.game = server.game;
  poll.address = server.address;
  poll.title = server.title;
  poll.info = {server.name, server.map, "25", players, "16"};
  poll.players = std::move(names);
  return poll;
}

// The README's queries name the UT server at 127.0.0.1 and the player
// Wraith; the Quake 2 server at the same address must not count for it.
// Polls of one hour lie within its first quarter, so that they share their
// hour in every time zone.
const std::vector<TimedPoll> kPolls = {
    {"2024-03-04T18:10:00Z", Poll(kUt, "2", {{"Wraith", 3}, {"Tamerlane", 1}})},
    {"2024-03-04T18:20:00Z", Poll(kQuake2, "16", {})},
    {"2024-03-04T20:05:00Z", Poll(kUt, "6", {{"Wraith", 9}})},
    {"2024-03-04T20:10:00Z", Poll(kUt, "4", {{"Tamerlane", 2}})},
    {"2024-03-04T21:00:00Z", Poll(kUt, "1", {{"Tamerlane", 5}})},
    {"2024-03-05T09:00:00Z", Poll(kUt2004, "3", {{"Wraith", 30}})},
};

class HistoryReadmeTest : public ::testing::Test {
protected:
  void SetUp() override {
    queries = ReadmeQueries();
    ASSERT_EQ(queries.size(), 2u) << "the README's example queries";
    HistoryPlugin plugin;
    ASSERT_NE(plugin.Init(path), 0);
    for (const TimedPoll& timed : kPolls)
      plugin.ServerState(timed.poll);
    plugin.Detach();
    // The polls happened at the test's times, not now.
    HistoryDatabase database(path);
    for (std::size_t i = 0; i < kPolls.size(); ++i)
      database.Run("UPDATE polls SET time = '" + kPolls[i].time +
                   "' WHERE id = " + std::to_string(i + 1));
  }

  TempDir folder;
  const std::string path = folder.file("history.db");
  std::vector<std::string> queries;
};

TEST_F(HistoryReadmeTest, TheBusiestHoursOfAServer) {
  const auto hour = [](const std::string& utc) { return Local(utc, "%H"); };
  EXPECT_EQ(HistoryDatabase(path).Rows(queries[0]),
            (std::vector<Row>{{hour("2024-03-04T20:05:00Z"), "5.0", "6", "2"},
                              {hour("2024-03-04T18:10:00Z"), "2.0", "2", "1"},
                              {hour("2024-03-04T21:00:00Z"), "1.0", "1", "1"}}));
}

TEST_F(HistoryReadmeTest, WhenAPlayerWasLastSeen) {
  EXPECT_EQ(HistoryDatabase(path).Rows(queries[1]),
            (std::vector<Row>{{Local("2024-03-05T09:00:00Z", "%Y-%m-%d %H:%M:%S"), "Demo UT2004",
                               "Rankin Brawl", "DM-Rankin", "30"}}));
}

// Both answer from an index, not by reading every row, however long the
// history grows.
TEST_F(HistoryReadmeTest, TheQueriesSearchAnIndex) {
  HistoryDatabase database(path);
  for (const std::string& query : queries)
    for (const Row& step : database.Rows("EXPLAIN QUERY PLAN " + query)) {
      ASSERT_EQ(step.size(), 4u);
      EXPECT_NE(step[3].value_or("").rfind("SCAN ", 0), 0u) << *step[3] << "\n" << query;
    }
}

} // namespace
