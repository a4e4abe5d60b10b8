#include <gtest/gtest.h>

#include <sqlite3.h>

#include <string>

extern "C" {
#include "plugins/history/history_store.h"
}
#include "tests/plugins/history_database.h"
#include "tests/support/TempDir.h"

namespace {

using Row = HistoryDatabase::Row;

constexpr const char* kPollsIndex =
    "SELECT count(*) FROM sqlite_master WHERE type = 'index' AND name = 'poll_players_by_poll'";

class HistorySchemaTest : public ::testing::Test {
protected:
  std::string Path() const { return folder_.file("history.db"); }

  // Opens the store as the plug-in does; gives SQLite's result.
  int Open() {
    HistoryStore* store = nullptr;
    char error[256] = "";
    const int result = HistoryStoreOpen(Path().c_str(), &store, error, sizeof error);
    HistoryStoreClose(store);
    return result;
  }

  void MakeFirstVersionFile() {
    HistoryDatabase database(Path());
    database.Run(kFirstVersionSchema);
    database.Run("INSERT INTO polls(time, address, game, players) VALUES"
                 " ('2024-03-04T20:05:00Z', '127.0.0.1', 'ut', 2)");
    database.Run("INSERT INTO poll_players(poll_id, name, frags) VALUES (1, 'Wraith', 9),"
                 " (1, 'Tamerlane', 1)");
  }

  TempDir folder_;
};

TEST_F(HistorySchemaTest, ANewFileHasTheCurrentVersionAndEveryIndex) {
  ASSERT_EQ(Open(), SQLITE_OK);
  HistoryDatabase database(Path());
  EXPECT_EQ(database.Single("PRAGMA user_version"), "1");
  EXPECT_EQ(database.Single(kPollsIndex), "1");
}

TEST_F(HistorySchemaTest, AFirstVersionFileIsUpgradedInPlaceWithItsRows) {
  MakeFirstVersionFile();
  ASSERT_EQ(Open(), SQLITE_OK);
  HistoryDatabase database(Path());
  EXPECT_EQ(database.Single("PRAGMA user_version"), "1");
  EXPECT_EQ(database.Single(kPollsIndex), "1");
  EXPECT_EQ(database.Rows("SELECT poll_id, name, frags FROM poll_players ORDER BY rowid"),
            (std::vector<Row>{{"1", "Wraith", "9"}, {"1", "Tamerlane", "1"}}));
  EXPECT_EQ(database.Single("PRAGMA integrity_check"), "ok");
}

TEST_F(HistorySchemaTest, AnUpgradeWaitsForAnotherWriterAndIsDoneAtTheNextOpen) {
  MakeFirstVersionFile();
  {
    HistoryDatabase other(Path());
    other.Run("PRAGMA journal_mode=WAL");
    other.Run("BEGIN IMMEDIATE");
    EXPECT_EQ(Open(), SQLITE_BUSY);
    EXPECT_EQ(other.Single(kPollsIndex), "0") << "nothing changed half-way";
    other.Run("COMMIT");
  }
  ASSERT_EQ(Open(), SQLITE_OK);
  EXPECT_EQ(HistoryDatabase(Path()).Single(kPollsIndex), "1");
}

TEST_F(HistorySchemaTest, AFileOfALaterVersionKeepsItsVersion) {
  MakeFirstVersionFile();
  HistoryDatabase(Path()).Run("PRAGMA user_version = 7");
  ASSERT_EQ(Open(), SQLITE_OK);
  HistoryDatabase database(Path());
  EXPECT_EQ(database.Single("PRAGMA user_version"), "7");
  EXPECT_EQ(database.Single(kPollsIndex), "0") << "a later plug-in decides its indexes";
}

} // namespace
