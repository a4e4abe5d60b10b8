#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "tests/plugins/history_database.h"

// A history database made with the plug-in's own schema (or with its first
// version's, as the plug-in left it then), filled with the rows a test
// needs, odd ones included.
class THistoryFixture {
public:
  enum class TSchema { Current, FirstVersion };
  explicit THistoryFixture(const std::string& path, TSchema schema = TSchema::Current);

  // A poll row with its players; no count stores NULL.
  void AddPoll(const std::string& time, const std::string& game, const std::string& address,
               std::optional<int> players, const std::vector<std::string>& names = {});
  HistoryDatabase& Database() { return database_; }

private:
  HistoryDatabase database_;
};

// "YYYY-MM-DDTHH:MM:SSZ", as the plug-in writes times.
std::string UtcText(std::time_t time);
// The time of such a text.
std::time_t UtcTime(const std::string& text);
