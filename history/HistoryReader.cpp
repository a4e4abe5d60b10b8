#include "history/HistoryReader.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

namespace {

using history_span::kDay;
using history_span::kDayPoint;
using history_span::kWeek;
using history_span::kWeekPoint;
// Long enough to pass a poll's commit, short enough not to keep the window waiting.
constexpr int kBusyTimeoutMs = 200;
// The plug-in cuts names to this many bytes; a file written by anything else may not.
constexpr std::size_t kMaxNameBytes = 256;
// A busy public server meets more players than a window can list.
constexpr int kMaxPlayers = 1000;

// True for a time in the plug-in's form only: SQLite's date parser takes far
// more ("2024-03-04", 31 February), but writes back this form alone.
std::string IsPluginTime(const std::string& column) {
  return "strftime('%Y-%m-%dT%H:%M:%SZ', " + column + ") IS " + column;
}

// The shape of the plug-in's times alone, a third of the cost of the check
// above where it runs once per player row; ParseUtcText checks the date.
std::string HasPluginTimeShape(const std::string& column) {
  return column +
         " GLOB '[0-9][0-9][0-9][0-9]-[01][0-9]-[0-3][0-9]T[0-2][0-9]:[0-5][0-9]:[0-5][0-9]Z'";
}

std::string UtcText(std::time_t time) {
  std::tm utc{};
  char text[32] = "";
  if (gmtime_r(&time, &utc))
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

// The time of a "YYYY-MM-DDTHH:MM:SSZ" text; nothing for any other text or
// for a date that does not exist.
std::optional<std::time_t> ParseUtcText(const unsigned char* text, int length) {
  if (!text || length != 20)
    return std::nullopt;
  std::tm utc{};
  const char* const at = reinterpret_cast<const char*>(text);
  char tail = '\0';
  if (std::sscanf(at, "%4d-%2d-%2dT%2d:%2d:%2d%c", &utc.tm_year, &utc.tm_mon, &utc.tm_mday,
                  &utc.tm_hour, &utc.tm_min, &utc.tm_sec, &tail) != 7 ||
      tail != 'Z')
    return std::nullopt;
  const std::tm given = utc;
  utc.tm_year -= 1900;
  utc.tm_mon -= 1;
  const std::time_t time = timegm(&utc);
  // timegm moves 31 February into March; such a text is no time.
  if (utc.tm_year + 1900 != given.tm_year || utc.tm_mon + 1 != given.tm_mon ||
      utc.tm_mday != given.tm_mday || utc.tm_hour != given.tm_hour)
    return std::nullopt;
  return time;
}

std::string CappedName(const unsigned char* text, int length) {
  std::size_t size = static_cast<std::size_t>(std::max(length, 0));
  if (size > kMaxNameBytes) {
    size = kMaxNameBytes;
    // Back off to the start of a UTF-8 sequence rather than split it.
    for (int backedOff = 0; backedOff < 3 && size > 0 && (text[size] & 0xC0) == 0x80; ++backedOff)
      --size;
  }
  return std::string(reinterpret_cast<const char*>(text), size);
}

class TDatabase {
public:
  explicit TDatabase(const std::string& path) {
    if (sqlite3_open_v2(path.c_str(), &database_, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
      // A failed open still gives a handle, with the reason, to be closed.
      const std::string reason = database_ ? sqlite3_errmsg(database_) : "out of memory";
      sqlite3_close_v2(database_);
      throw std::runtime_error(reason);
    }
    sqlite3_busy_timeout(database_, kBusyTimeoutMs);
  }
  ~TDatabase() { sqlite3_close_v2(database_); }
  TDatabase(const TDatabase&) = delete;
  TDatabase& operator=(const TDatabase&) = delete;

  // Runs the statement with its text parameters and hands each row over.
  template <class EachRow>
  void Query(const std::string& sql, const std::vector<std::string>& parameters, EachRow&& each) {
    sqlite3_stmt* prepared = nullptr;
    if (sqlite3_prepare_v2(database_, sql.c_str(), -1, &prepared, nullptr) != SQLITE_OK)
      Fail();
    // Finalized however the rows end, a failed allocation included.
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> statement(prepared,
                                                                          sqlite3_finalize);
    for (std::size_t i = 0; i < parameters.size(); ++i)
      sqlite3_bind_text(prepared, static_cast<int>(i + 1), parameters[i].c_str(),
                        static_cast<int>(parameters[i].size()), SQLITE_TRANSIENT);
    int result;
    while ((result = sqlite3_step(prepared)) == SQLITE_ROW)
      each(prepared);
    if (result != SQLITE_DONE)
      Fail();
  }

private:
  [[noreturn]] void Fail() {
    throw std::runtime_error(database_ ? sqlite3_errmsg(database_) : "out of memory");
  }

  sqlite3* database_ = nullptr;
};

bool IsNull(sqlite3_stmt* statement, int column) {
  return sqlite3_column_type(statement, column) == SQLITE_NULL;
}

// The polls of the last 7 days in five-minute spans: the most players of the
// span and of its polls within the last 24 hours, their sum and number.
void ReadSpans(TDatabase& database, const std::string& game, const std::string& address,
               std::time_t now, TServerHistory& history) {
  const std::string sql =
      std::string("SELECT CAST(strftime('%s', time) AS INTEGER) / ") + std::to_string(kDayPoint) +
      " AS span, max(players), max(CASE WHEN time >= ?5 THEN players END),"
      " total(players), count(*)"
      " FROM polls WHERE game = ?1 AND address = ?2 AND time >= ?3 AND time <= ?4"
      " AND " +
      IsPluginTime("time") +
      " AND typeof(players) = 'integer' AND players BETWEEN 0 AND 2147483647"
      " GROUP BY span ORDER BY span";
  database.Query(
      sql, {game, address, UtcText(now - kWeek), UtcText(now), UtcText(now - kDay)},
      [&](sqlite3_stmt* row) {
        if (IsNull(row, 0))
          return;
        const std::time_t start = sqlite3_column_int64(row, 0) * kDayPoint;
        const auto most = static_cast<int32_t>(sqlite3_column_int64(row, 1));
        if (!IsNull(row, 2))
          history.Day.push_back({start, static_cast<int32_t>(sqlite3_column_int64(row, 2))});
        const std::time_t hour = start - start % kWeekPoint;
        if (history.Week.empty() || history.Week.back().Time != hour)
          history.Week.push_back({hour, most});
        else
          history.Week.back().Players = std::max(history.Week.back().Players, most);
        std::tm local{};
        if (!localtime_r(&start, &local))
          return;
        THourOfDay& ofDay = history.Hours[static_cast<std::size_t>(local.tm_hour)];
        ofDay.PlayerSum += sqlite3_column_double(row, 3);
        ofDay.Polls += sqlite3_column_int(row, 4);
      });
}

void ReadLastSeen(TDatabase& database, const std::string& game, const std::string& address,
                  std::time_t now, TServerHistory& history) {
  const std::string sql =
      std::string("SELECT poll_players.name, max(polls.time) AS seen"
                  " FROM polls JOIN poll_players ON poll_players.poll_id = polls.id"
                  " WHERE polls.game = ?1 AND polls.address = ?2 AND polls.time <= ?3"
                  " AND ") +
      HasPluginTimeShape("polls.time") +
      " AND poll_players.name IS NOT NULL"
      " GROUP BY poll_players.name ORDER BY seen DESC, poll_players.name LIMIT " +
      std::to_string(kMaxPlayers);
  database.Query(sql, {game, address, UtcText(now)}, [&](sqlite3_stmt* row) {
    const std::optional<std::time_t> seen =
        ParseUtcText(sqlite3_column_text(row, 1), sqlite3_column_bytes(row, 1));
    const unsigned char* name = sqlite3_column_text(row, 0);
    if (seen && name)
      history.LastSeen.push_back({CappedName(name, sqlite3_column_bytes(row, 0)), *seen});
  });
}

} // namespace

TServerHistory ReadServerHistory(const std::string& databasePath, const std::string& game,
                                 const std::string& address, std::time_t now) {
  TServerHistory history;
  try {
    TDatabase database(databasePath);
    ReadSpans(database, game, address, now, history);
    ReadLastSeen(database, game, address, now, history);
  } catch (const std::exception& error) {
    history = TServerHistory{};
    history.Error = error.what();
  }
  return history;
}
