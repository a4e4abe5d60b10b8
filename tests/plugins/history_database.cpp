#include "tests/plugins/history_database.h"

#include <sqlite3.h>
#include <stdexcept>

HistoryDatabase::HistoryDatabase(const std::string& path) {
  if (sqlite3_open(path.c_str(), &database_) != SQLITE_OK) {
    const std::string message = sqlite3_errmsg(database_);
    sqlite3_close(database_);
    throw std::runtime_error("cannot open " + path + ": " + message);
  }
}

HistoryDatabase::~HistoryDatabase() {
  sqlite3_close(database_);
}

std::vector<HistoryDatabase::Row> HistoryDatabase::Rows(const std::string& sql) {
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(database_, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
    throw std::runtime_error(sql + ": " + sqlite3_errmsg(database_));
  std::vector<Row> rows;
  int result;
  while ((result = sqlite3_step(statement)) == SQLITE_ROW) {
    Row row;
    for (int column = 0; column < sqlite3_column_count(statement); ++column) {
      if (sqlite3_column_type(statement, column) == SQLITE_NULL) {
        row.emplace_back();
        continue;
      }
      // Numbers come as their decimal text; texts as their bytes, valid or not.
      const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, column));
      const int size = sqlite3_column_bytes(statement, column);
      row.emplace_back(std::string(bytes ? bytes : "", static_cast<std::size_t>(size)));
    }
    rows.push_back(std::move(row));
  }
  const std::string message = sqlite3_errmsg(database_);
  sqlite3_finalize(statement);
  if (result != SQLITE_DONE)
    throw std::runtime_error(sql + ": " + message);
  return rows;
}

HistoryDatabase::Value HistoryDatabase::Single(const std::string& sql) {
  const std::vector<Row> rows = Rows(sql);
  if (rows.size() != 1 || rows[0].size() != 1)
    throw std::runtime_error(sql + ": not a single value");
  return rows[0][0];
}

void HistoryDatabase::Run(const std::string& sql) {
  char* message = nullptr;
  if (sqlite3_exec(database_, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
    const std::string text = message ? message : "failed";
    sqlite3_free(message);
    throw std::runtime_error(sql + ": " + text);
  }
}
