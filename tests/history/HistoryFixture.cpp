#include "tests/history/HistoryFixture.h"

#include <stdexcept>

extern "C" {
#include "plugins/history/history_store.h"
}

namespace {

std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text)
    quoted += c == '\'' ? std::string("''") : std::string(1, c);
  return quoted + "'";
}

const std::string& MadeWithSchema(const std::string& path, THistoryFixture::TSchema schema) {
  if (schema == THistoryFixture::TSchema::FirstVersion) {
    HistoryDatabase(path).Run(kFirstVersionSchema);
    return path;
  }
  HistoryStore* store = nullptr;
  char error[256] = "";
  if (HistoryStoreOpen(path.c_str(), &store, error, sizeof error) != 0)
    throw std::runtime_error(std::string("cannot make the database: ") + error);
  HistoryStoreClose(store);
  return path;
}

} // namespace

THistoryFixture::THistoryFixture(const std::string& path, TSchema schema)
    : database_(MadeWithSchema(path, schema)) {
}

void THistoryFixture::AddPoll(const std::string& time, const std::string& game,
                              const std::string& address, std::optional<int> players,
                              const std::vector<std::string>& names) {
  database_.Run("INSERT INTO polls(time, address, game, title, name, map, players, max_players)"
                " VALUES(" +
                Quoted(time) + ", " + Quoted(address) + ", " + Quoted(game) +
                ", 'Demo', 'A server', 'DM-Deck16', " +
                (players ? std::to_string(*players) : "NULL") + ", 16)");
  for (const std::string& name : names)
    database_.Run(
        "INSERT INTO poll_players(poll_id, name, frags) VALUES((SELECT max(id) FROM polls), " +
        Quoted(name) + ", 3)");
}

std::string UtcText(std::time_t time) {
  std::tm utc{};
  gmtime_r(&time, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

std::time_t UtcTime(const std::string& text) {
  std::tm utc{};
  if (!strptime(text.c_str(), "%Y-%m-%dT%H:%M:%SZ", &utc))
    throw std::runtime_error("not a time: " + text);
  return timegm(&utc);
}
