#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "tests/plugins/history_database.h"
#include "tests/plugins/history_plugin.h"
#include "tests/support/TempDir.h"

namespace {

using Value = HistoryDatabase::Value;
using Row = HistoryDatabase::Row;

class HistoryRowsTest : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_NE(plugin.Init(folder.file("history.db")), 0); }

  HistoryDatabase Database() { return HistoryDatabase(folder.file("history.db")); }

  TempDir folder;
  HistoryPlugin plugin;
};

std::time_t ParseUtc(const std::string& text) {
  std::tm utc{};
  if (!strptime(text.c_str(), "%Y-%m-%dT%H:%M:%SZ", &utc))
    return -1;
  return timegm(&utc);
}

TEST_F(HistoryRowsTest, APollIsOneRowAndItsPlayersAreRowsInOrder) {
  const std::time_t before = std::time(nullptr);
  plugin.ServerState(ServerPoll{});
  const std::time_t after = std::time(nullptr);

  HistoryDatabase database = Database();
  const std::vector<Row> polls = database.Rows(
      "SELECT id, time, address, game, title, name, map, players, max_players FROM polls");
  ASSERT_EQ(polls.size(), 1u);
  const Row& poll = polls[0];
  ASSERT_TRUE(poll[1]);
  EXPECT_EQ(poll[1]->size(), 20u) << *poll[1];
  const std::time_t stored = ParseUtc(*poll[1]);
  EXPECT_GE(stored, before) << *poll[1];
  EXPECT_LE(stored, after) << *poll[1];
  EXPECT_EQ(Row(poll.begin() + 2, poll.end()),
            (Row{"127.0.0.1:7778", "ut", "Deck Party", "Deck Party", "DM-Deck16][", "2", "16"}));
  EXPECT_EQ(database.Single("SELECT typeof(players) || typeof(max_players) FROM polls"),
            "integerinteger");

  EXPECT_EQ(database.Rows("SELECT poll_id, name, frags FROM poll_players ORDER BY rowid"),
            (std::vector<Row>{{poll[0], "Wraith", "12"}, {poll[0], "Tamerlane", "-1"}}));
}

TEST_F(HistoryRowsTest, EveryCallIsARowOfItsOwnWithItsGameKey) {
  ServerPoll quake;
  quake.game = "q3";
  quake.address = "127.0.0.2";
  quake.title = "127.0.0.2";
  quake.players.clear();
  plugin.ServerState(ServerPoll{});
  plugin.ServerState(quake);
  plugin.ServerState(ServerPoll{});

  HistoryDatabase database = Database();
  EXPECT_EQ(database.Rows("SELECT game, address, title FROM polls ORDER BY id"),
            (std::vector<Row>{{"ut", "127.0.0.1:7778", "Deck Party"},
                              {"q3", "127.0.0.2", "127.0.0.2"},
                              {"ut", "127.0.0.1:7778", "Deck Party"}}));
  EXPECT_EQ(database.Rows("SELECT poll_id, count(*) FROM poll_players GROUP BY poll_id"),
            (std::vector<Row>{{"1", "2"}, {"3", "2"}}));
}

TEST_F(HistoryRowsTest, AServerWithoutPlayersHasNoPlayerRows) {
  ServerPoll empty;
  empty.players.clear();
  empty.info[SKARVEL_INFO_PLAYERS] = "0";
  plugin.ServerState(empty);

  HistoryDatabase database = Database();
  EXPECT_EQ(database.Single("SELECT players FROM polls"), "0");
  EXPECT_EQ(database.Single("SELECT count(*) FROM poll_players"), "0");
}

TEST_F(HistoryRowsTest, TheDatabaseIsInWalMode) {
  plugin.ServerState(ServerPoll{});
  EXPECT_EQ(Database().Single("PRAGMA journal_mode"), "wal");
}

struct NumberCase {
  std::string text;
  Value stored;
};

void PrintTo(const NumberCase& number, std::ostream* out) {
  *out << '"' << number.text << '"';
}

class HistoryNumbersTest : public HistoryRowsTest,
                           public ::testing::WithParamInterface<NumberCase> {};

TEST_P(HistoryNumbersTest, CountsAreStoredAsNumbersOrNull) {
  ServerPoll poll;
  poll.info[SKARVEL_INFO_PLAYERS] = GetParam().text;
  poll.info[SKARVEL_INFO_MAX_PLAYERS] = GetParam().text;
  plugin.ServerState(poll);

  HistoryDatabase database = Database();
  EXPECT_EQ(database.Rows("SELECT players, max_players FROM polls"),
            (std::vector<Row>{{GetParam().stored, GetParam().stored}}));
  if (GetParam().stored) {
    EXPECT_EQ(database.Single("SELECT typeof(players) FROM polls"), "integer");
  }
}

INSTANTIATE_TEST_SUITE_P(
    InfoTexts, HistoryNumbersTest,
    ::testing::Values(NumberCase{"12", "12"}, NumberCase{"0", "0"}, NumberCase{"-3", "-3"},
                      NumberCase{"2147483647", "2147483647"},
                      NumberCase{"-2147483648", "-2147483648"}, NumberCase{"2147483648", {}},
                      NumberCase{"99999999999999999999", {}}, NumberCase{"", {}},
                      NumberCase{"-", {}}, NumberCase{"12abc", {}}, NumberCase{" 7", {}},
                      NumberCase{"+5", {}}, NumberCase{"3/16", {}}, NumberCase{"1e3", {}}));

class HistoryInfoCountTest : public HistoryRowsTest,
                             public ::testing::WithParamInterface<int32_t> {};

// The texts given are stored and nothing past them is read (the buffer ends
// with the last text given).
TEST_P(HistoryInfoCountTest, OnlyTheInfosGivenAreRead) {
  const int32_t count = GetParam();
  const ServerPoll poll;
  plugin.ServerState(poll, count);

  const Row expected = {count > SKARVEL_INFO_NAME ? Value("Deck Party") : Value(),
                        count > SKARVEL_INFO_MAP ? Value("DM-Deck16][") : Value(),
                        count > SKARVEL_INFO_PLAYERS ? Value("2") : Value(),
                        count > SKARVEL_INFO_MAX_PLAYERS ? Value("16") : Value()};
  EXPECT_EQ(Database().Rows("SELECT name, map, players, max_players FROM polls"),
            std::vector<Row>{expected});
}

INSTANTIATE_TEST_SUITE_P(Counts, HistoryInfoCountTest, ::testing::Values(0, 1, 2, 3, 4, 5));

struct HostileText {
  std::string name;
  std::string text;
  std::string stored;
};

void PrintTo(const HostileText& text, std::ostream* out) {
  *out << text.name;
}

class HistoryHostileTextTest : public HistoryRowsTest,
                               public ::testing::WithParamInterface<HostileText> {};

// Server, map and player names come from whoever answers the query: they are
// stored as their bytes (cut when too long), never read as SQL or as a
// format, and never written to the trace.
TEST_P(HistoryHostileTextTest, IsStoredAsItsBytes) {
  ServerPoll poll;
  poll.info[SKARVEL_INFO_NAME] = GetParam().text;
  poll.info[SKARVEL_INFO_MAP] = GetParam().text;
  poll.players = {{GetParam().text, 1}, {"after", 2}};

  ::testing::internal::CaptureStderr();
  plugin.ServerState(poll);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");

  HistoryDatabase database = Database();
  EXPECT_EQ(database.Rows("SELECT name, map FROM polls"),
            (std::vector<Row>{{GetParam().stored, GetParam().stored}}));
  EXPECT_EQ(database.Rows("SELECT name, frags FROM poll_players ORDER BY rowid"),
            (std::vector<Row>{{GetParam().stored, "1"}, {"after", "2"}}));
}

std::string Repeat(const std::string& piece, std::size_t times) {
  std::string text;
  for (std::size_t i = 0; i < times; ++i)
    text += piece;
  return text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, HistoryHostileTextTest,
    ::testing::Values(
        HostileText{"Quotes", "x'); DROP TABLE polls; --\"", "x'); DROP TABLE polls; --\""},
        HostileText{"Formats", "%n%n%s%s%x%p", "%n%n%s%s%x%p"},
        HostileText{"InvalidUtf8", "\xFF\xFE\xC3 \xE2\x82", "\xFF\xFE\xC3 \xE2\x82"},
        HostileText{"ControlCharacters", "a\nb\rc\x1B[2J", "a\nb\rc\x1B[2J"},
        HostileText{"Empty", "", ""},
        HostileText{"VeryLong", Repeat("x", 100000), Repeat("x", 256)},
        // 256 bytes would end inside the 86th euro sign: the cut goes before it.
        HostileText{"LongUtf8", Repeat("\xE2\x82\xAC", 100), Repeat("\xE2\x82\xAC", 85)},
        // Bytes that only look like the inside of a sequence are cut where they are.
        HostileText{"LongContinuationBytes", "x" + Repeat("\x80", 300), "x" + Repeat("\x80", 255)}),
    [](const ::testing::TestParamInfo<HostileText>& test) { return test.param.name; });

} // namespace
