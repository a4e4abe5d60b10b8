// skarvel-cli with the history plug-in in its program folder, polling the
// emulator over loopback: one cycle leaves its rows in history.db.

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <filesystem>
#include <string>

#include "tests/cli/CliProcess.h"
#include "tests/cli/LoopbackSettings.h"
#include "tests/support/FakeServerProcess.h"
#include "tests/support/TempDir.h"
#include "tests/support/UdpTestClient.h"

namespace {

constexpr int kRunMs = 20000; // one --once run, start to end

// The first column of the first row of a query; -1 when there is none.
long long QueryNumber(const std::string& database, const std::string& sql) {
  sqlite3* db = nullptr;
  long long value = -1;
  if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
      value = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
  }
  sqlite3_close(db);
  return value;
}

TEST(CliHistoryEndToEnd, OneCycleWritesTheServerAndItsPlayers) {
  TempDir home;
  std::filesystem::copy_file(HISTORY_PLUGIN, home.file("history.so"));
  const int port = FreeUdpPorts("127.0.0.1", 1);
  FakeServerProcess emulator(
      {"--game", "q3", "--port", std::to_string(port), "--players", "2", "--name", "Kept"});
  ASSERT_EQ(emulator.WaitForReadyLines(1).size(), 1u);
  home.write("skarvel.ini", LoopbackSettings({"127.0.0.1:" + std::to_string(port) + ",q3"}));

  CliProcess cli(home.path().string(), {"--once"});
  ASSERT_EQ(cli.Wait(kRunMs), 0) << cli.Errors();

  const std::string db = home.file("history.db");
  ASSERT_TRUE(home.exists("history.db")) << cli.Errors();
  EXPECT_EQ(QueryNumber(db, "SELECT count(*) FROM polls WHERE game = 'q3' AND name = 'Kept' "
                            "AND address = '127.0.0.1:" +
                                std::to_string(port) + "'"),
            1);
  EXPECT_EQ(QueryNumber(db, "SELECT count(*) FROM poll_players"), 2);
}

} // namespace
