#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

extern "C" {
#include "plugins/history/history_store.h"
}
#include "history/HistoryReader.h"
#include "tests/history/HistoryFixture.h"
#include "tests/support/TempDir.h"

namespace {

constexpr std::time_t kHour = 3600;
constexpr std::time_t kDay = 24 * kHour;
const std::time_t kNow = UtcTime("2024-03-10T12:02:00Z");

// The local time zone of the process, for one test.
class ScopedZone {
public:
  explicit ScopedZone(const char* zone) {
    if (const char* old = std::getenv("TZ"))
      saved_ = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ScopedZone() {
    if (saved_)
      setenv("TZ", saved_->c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }

private:
  std::optional<std::string> saved_;
};

std::vector<int32_t> PlayersOf(const std::vector<THistoryPoint>& points) {
  std::vector<int32_t> players;
  for (const THistoryPoint& point : points)
    players.push_back(point.Players);
  return players;
}

class HistoryReaderTest : public ::testing::Test {
protected:
  std::string Path() const { return home_.file("history.db"); }
  TempDir home_;
};

struct PollCase {
  const char* what;
  std::string time;
  const char* game;
  const char* address;
  const char* players; // as SQL
};

TEST_F(HistoryReaderTest, ChartsOnlyTheServersCountedPollsOfTheLastDayAndWeek) {
  THistoryFixture fixture(Path());
  // Each poll that counts has a count of its own, so the series name them.
  const PollCase polls[] = {
      {"6 days ago", UtcText(kNow - 6 * kDay), "q3", "127.0.0.1", "8"},
      {"25 hours ago", UtcText(kNow - 25 * kHour), "q3", "127.0.0.1", "7"},
      {"23 hours ago", UtcText(kNow - 23 * kHour), "q3", "127.0.0.1", "6"},
      {"an hour ago", UtcText(kNow - kHour), "q3", "127.0.0.1", "5"},
      {"8 days ago", UtcText(kNow - 8 * kDay), "q3", "127.0.0.1", "90"},
      {"in an hour", UtcText(kNow + kHour), "q3", "127.0.0.1", "91"},
      {"another host", UtcText(kNow - 2 * kHour), "q3", "127.0.0.2", "92"},
      {"another game", UtcText(kNow - 3 * kHour), "q2", "127.0.0.1", "93"},
      {"the same host, another port", UtcText(kNow - 4 * kHour), "q3", "127.0.0.1:27961", "94"},
      {"no count", UtcText(kNow - 5 * kHour), "q3", "127.0.0.1", "NULL"},
      {"a text count", UtcText(kNow - 6 * kHour), "q3", "127.0.0.1", "'many'"},
      {"a negative count", UtcText(kNow - 7 * kHour), "q3", "127.0.0.1", "-3"},
      {"a fraction", UtcText(kNow - 8 * kHour), "q3", "127.0.0.1", "2.5"},
      {"a blank for T", "2024-03-10 10:00:00", "q3", "127.0.0.1", "95"},
      {"no zone", "2024-03-10T09:00:00", "q3", "127.0.0.1", "96"},
      {"hour 25", "2024-03-09T25:00:00Z", "q3", "127.0.0.1", "97"},
      {"31 February", "2024-02-31T12:00:00Z", "q3", "127.0.0.1", "98"},
      {"a date only", "2024-03-09", "q3", "127.0.0.1", "99"},
  };
  for (const PollCase& poll : polls)
    fixture.Database().Run(std::string("INSERT INTO polls(time, address, game, players) VALUES('") +
                           poll.time + "', '" + poll.address + "', '" + poll.game + "', " +
                           poll.players + ")");

  const TServerHistory history = ReadServerHistory(Path(), "q3", "127.0.0.1", kNow);
  EXPECT_EQ(history.Error, "");
  EXPECT_EQ(PlayersOf(history.Day), (std::vector<int32_t>{6, 5}));
  EXPECT_EQ(PlayersOf(history.Week), (std::vector<int32_t>{8, 7, 6, 5}));
  ASSERT_EQ(history.Day.size(), 2U);
  EXPECT_EQ(history.Day[1].Time, UtcTime("2024-03-10T11:00:00Z")) << "the span's start";
  EXPECT_EQ(history.Week[0].Time, UtcTime("2024-03-04T12:00:00Z")) << "the hour's start";
}

TEST_F(HistoryReaderTest, DayGivesTheMostOfEachFiveMinutesAndWeekOfEachHour) {
  THistoryFixture fixture(Path());
  // The day began at 12:02 yesterday, inside the span from 12:00 on.
  for (const auto& [time, players] : std::vector<std::pair<const char*, int>>{
           {"2024-03-09T12:01:00Z", 9}, // before the day, in its first span
           {"2024-03-09T12:03:00Z", 2},
           {"2024-03-09T12:04:59Z", 1},
           {"2024-03-09T12:05:00Z", 4},
           {"2024-03-09T12:59:59Z", 3},
           {"2024-03-09T13:00:00Z", 0}})
    fixture.AddPoll(time, "ut", "10.0.0.1:7778", players);

  const TServerHistory history = ReadServerHistory(Path(), "ut", "10.0.0.1:7778", kNow);
  EXPECT_EQ(PlayersOf(history.Day), (std::vector<int32_t>{2, 4, 3, 0}));
  EXPECT_EQ(PlayersOf(history.Week), (std::vector<int32_t>{9, 0}));
}

struct ZoneCase {
  const char* zone;
  std::vector<int> busiest;
};

TEST_F(HistoryReaderTest, BusiestHoursAreLocalHoursByMeanPlayersPerPoll) {
  THistoryFixture fixture(Path());
  fixture.AddPoll("2024-03-08T18:10:00Z", "q3", "127.0.0.1", 4);
  fixture.AddPoll("2024-03-09T18:40:00Z", "q3", "127.0.0.1", 6);
  fixture.AddPoll("2024-03-09T19:10:00Z", "q3", "127.0.0.1", 8);
  fixture.AddPoll("2024-03-10T03:10:00Z", "q3", "127.0.0.1", 1);
  fixture.AddPoll("2024-03-10T04:10:00Z", "q3", "127.0.0.1", std::nullopt);
  const ZoneCase zones[] = {
      {"UTC0", {19, 18, 3}},
      {"XST-2", {21, 20, 5}},
      // Half an hour off: 18:40 UTC joins 19:10 in the local hour after midnight.
      {"IST-5:30", {0, 23, 8}},
  };
  for (const ZoneCase& zone : zones) {
    ScopedZone local(zone.zone);
    const TServerHistory history = ReadServerHistory(Path(), "q3", "127.0.0.1", kNow);
    EXPECT_EQ(history.BusiestHours(3), zone.busiest) << zone.zone;
    EXPECT_EQ(history.BusiestHours(2).size(), 2U);
  }
  ScopedZone utc("UTC0");
  const TServerHistory history = ReadServerHistory(Path(), "q3", "127.0.0.1", kNow);
  EXPECT_EQ(history.Hours[18].Polls, 2);
  EXPECT_DOUBLE_EQ(history.Hours[18].MeanPlayers(), 5.0);
  EXPECT_EQ(history.Hours[4].Polls, 0) << "a poll without a count says nothing of the hour";
  EXPECT_EQ(history.BusiestHours(24).size(), 3U) << "hours without polls are not listed";
}

TEST_F(HistoryReaderTest, LastSeenListsEveryPlayerOnceNewestFirst) {
  THistoryFixture fixture(Path());
  const std::string longName = "\xC3\xA9" + std::string(300, 'x');
  fixture.AddPoll(UtcText(kNow - 30 * kDay), "q3", "127.0.0.1", 2, {"Eve", "Anna"});
  fixture.AddPoll(UtcText(kNow - 2 * kDay), "q3", "127.0.0.1", 2, {"Bob", "Carl"});
  fixture.AddPoll(UtcText(kNow - 3 * kHour), "q3", "127.0.0.1", 1, {"Anna"});
  fixture.AddPoll(UtcText(kNow - kHour), "q3", "127.0.0.1", std::nullopt, {"Anna", longName});
  fixture.AddPoll(UtcText(kNow - 10), "q3", "127.0.0.2", 1, {"Bob"});     // another server
  fixture.AddPoll(UtcText(kNow + kHour), "q3", "127.0.0.1", 1, {"Carl"}); // not yet
  fixture.AddPoll("2024-03-10 11:59:00", "q3", "127.0.0.1", 1, {"Dora"}); // no time
  fixture.Database().Run("INSERT INTO poll_players(poll_id, name) VALUES(3, NULL)");
  // An odd writer's name, cut before the byte that ends a UTF-8 sequence.
  const std::string cutName = std::string(255, 'y') + "\xC3\xA9";

  fixture.AddPoll(UtcText(kNow - 4 * kDay), "q3", "127.0.0.1", 1, {cutName});

  const TServerHistory history = ReadServerHistory(Path(), "q3", "127.0.0.1", kNow);
  std::vector<std::pair<std::string, std::time_t>> seen;
  for (const TLastSeen& player : history.LastSeen)
    seen.emplace_back(player.Name, player.Time);
  const std::vector<std::pair<std::string, std::time_t>> expected{
      {"Anna", kNow - kHour},
      {longName.substr(0, 256), kNow - kHour},
      {"Bob", kNow - 2 * kDay},
      {"Carl", kNow - 2 * kDay},
      {std::string(255, 'y'), kNow - 4 * kDay},
      {"Eve", kNow - 30 * kDay},
  };
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(history.Error, "");
}

using Flat = std::vector<std::pair<std::string, double>>;

// Every answer of a history as (what, value) pairs, for comparing two.
Flat Flattened(const TServerHistory& history) {
  Flat flat{{"error " + history.Error, 0}};
  for (const THistoryPoint& point : history.Day)
    flat.emplace_back("day " + std::to_string(point.Time), point.Players);
  for (const THistoryPoint& point : history.Week)
    flat.emplace_back("week " + std::to_string(point.Time), point.Players);
  for (std::size_t hour = 0; hour < history.Hours.size(); ++hour) {
    flat.emplace_back("polls at " + std::to_string(hour), history.Hours[hour].Polls);
    flat.emplace_back("players at " + std::to_string(hour), history.Hours[hour].PlayerSum);
  }
  for (const TLastSeen& player : history.LastSeen)
    flat.emplace_back("seen " + player.Name, static_cast<double>(player.Time));
  return flat;
}

TEST_F(HistoryReaderTest, AFirstVersionFileGivesTheSameAnswersOnceThePluginUpgradesIt) {
  THistoryFixture fixture(Path(), THistoryFixture::TSchema::FirstVersion);
  fixture.AddPoll(UtcText(kNow - 2 * kDay), "ut", "127.0.0.1", 1, {"Eve"});
  fixture.AddPoll(UtcText(kNow - 2 * kHour), "ut", "127.0.0.1", 3, {"Anna", "Bob", "Carl"});
  fixture.AddPoll(UtcText(kNow - 90 * 60), "q3", "127.0.0.1", 1, {"Zed"}); // another game
  fixture.AddPoll(UtcText(kNow - kHour), "ut", "127.0.0.1", 2, {"Dora", "Anna"});
  fixture.AddPoll(UtcText(kNow - 30 * 60), "ut", "127.0.0.2", 1, {"Bob"}); // another host
  ScopedZone utc("UTC0");
  const TServerHistory before = ReadServerHistory(Path(), "ut", "127.0.0.1", kNow);

  HistoryStore* store = nullptr;
  char error[256] = "";
  ASSERT_EQ(HistoryStoreOpen(Path().c_str(), &store, error, sizeof error), 0) << error;
  HistoryStoreClose(store);
  ASSERT_EQ(fixture.Database().Single("PRAGMA user_version"), "1") << "upgraded";
  const TServerHistory after = ReadServerHistory(Path(), "ut", "127.0.0.1", kNow);

  EXPECT_EQ(Flattened(after), Flattened(before));
  EXPECT_EQ(PlayersOf(after.Day), (std::vector<int32_t>{3, 2}));
  EXPECT_EQ(PlayersOf(after.Week), (std::vector<int32_t>{1, 3, 2}));
  EXPECT_EQ(after.Hours[10].Polls, 1);
  EXPECT_DOUBLE_EQ(after.Hours[10].PlayerSum, 3);
  std::vector<std::pair<std::string, std::time_t>> seen;
  for (const TLastSeen& player : after.LastSeen)
    seen.emplace_back(player.Name, player.Time);
  const std::vector<std::pair<std::string, std::time_t>> expected{
      {"Anna", kNow - kHour},     {"Dora", kNow - kHour},   {"Bob", kNow - 2 * kHour},
      {"Carl", kNow - 2 * kHour}, {"Eve", kNow - 2 * kDay},
  };
  EXPECT_EQ(seen, expected);
}

TEST_F(HistoryReaderTest, AFileThatIsNoHistoryGivesAnErrorAndNothingElse) {
  struct FileCase {
    const char* what;
    std::optional<std::string> content; // none: no file
  };
  const FileCase files[] = {
      {"no file", std::nullopt},
      {"an empty file", ""},
      {"text", "not a database at all\n"},
      {"an SQLite header and garbage",
       std::string("SQLite format 3\0", 16) + std::string(200, 'z')},
  };
  for (const FileCase& file : files) {
    std::filesystem::remove(Path());
    if (file.content)
      home_.write("history.db", *file.content);
    const TServerHistory history = ReadServerHistory(Path(), "q3", "127.0.0.1", kNow);
    EXPECT_NE(history.Error, "") << file.what;
    EXPECT_TRUE(history.Empty()) << file.what;
    EXPECT_EQ(std::filesystem::exists(Path()), file.content.has_value())
        << file.what << ": the reader makes no file";
  }
  // A database of another program.
  std::filesystem::remove(Path());
  HistoryDatabase(Path()).Run("CREATE TABLE polls(x)");
  const TServerHistory history = ReadServerHistory(Path(), "q3", "127.0.0.1", kNow);
  EXPECT_NE(history.Error, "");
}

TEST_F(HistoryReaderTest, ReadsWhatIsCommittedWhileThePluginWrites) {
  THistoryFixture fixture(Path());
  fixture.AddPoll(UtcText(kNow - kHour), "q3", "127.0.0.1", 3, {"Anna"});
  HistoryDatabase writer(Path());
  writer.Run("BEGIN IMMEDIATE");
  writer.Run("INSERT INTO polls(time, address, game, players) VALUES('" + UtcText(kNow - 60) +
             "', '127.0.0.1', 'q3', 4)");
  const TServerHistory history = ReadServerHistory(Path(), "q3", "127.0.0.1", kNow);
  writer.Run("COMMIT");
  EXPECT_EQ(history.Error, "");
  EXPECT_EQ(PlayersOf(history.Day), std::vector<int32_t>{3});
}

} // namespace
