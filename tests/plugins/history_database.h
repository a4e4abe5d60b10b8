#pragma once

#include <optional>
#include <string>
#include <vector>

struct sqlite3;

// The tables and indexes as the first plug-ins made them, with no version.
constexpr const char* kFirstVersionSchema =
    "CREATE TABLE polls(id INTEGER PRIMARY KEY, time TEXT NOT NULL, address TEXT, game TEXT,"
    " title TEXT, name TEXT, map TEXT, players INTEGER, max_players INTEGER);"
    "CREATE TABLE poll_players(poll_id INTEGER NOT NULL REFERENCES polls(id), name TEXT,"
    " frags INTEGER);"
    "CREATE INDEX polls_by_server ON polls(game, address, time);"
    "CREATE INDEX poll_players_by_name ON poll_players(name, poll_id);";

// A connection of its own to a history database, for reading what the
// plug-in wrote and for playing the other program that holds it.
class HistoryDatabase {
public:
  using Value = std::optional<std::string>; // nothing for NULL
  using Row = std::vector<Value>;

  explicit HistoryDatabase(const std::string& path);
  ~HistoryDatabase();
  HistoryDatabase(const HistoryDatabase&) = delete;
  HistoryDatabase& operator=(const HistoryDatabase&) = delete;

  // Every row the statement gives, each column as its bytes; throws with
  // SQLite's message when it fails.
  std::vector<Row> Rows(const std::string& sql);
  // The single value of a statement that gives one.
  Value Single(const std::string& sql);
  // Runs statements that give no rows.
  void Run(const std::string& sql);

private:
  sqlite3* database_ = nullptr;
};
