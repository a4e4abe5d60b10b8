// The History window's read of one server from a week of four busy servers
// (a poll every 3 seconds, 8 players on average), in a file as the first
// plug-ins left it and in the same file once the plug-in has upgraded it:
// for a server with no polls (target under 50 ms) and for a busy one,
// against the same read of a file that holds that server alone (target at
// most 2x). The files are kept in the folder given (by default one in /tmp)
// and made again only when missing.
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

extern "C" {
#include "plugins/history/history_store.h"
}
#include "history/HistoryReader.h"
#include "tests/plugins/history_database.h"

namespace {

namespace fs = std::filesystem;

constexpr std::time_t kNow = 1767225600; // 2026-01-01T00:00:00Z, just after the last poll
constexpr int kRounds = 7;

// Four servers polled every 3 seconds for a week, players by the hour of the
// day, names from a roster that turns every hour. The indexes are made after
// the rows, which is quicker and gives the same file.
constexpr const char* kWeekOfFourServers =
    "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA cache_size=-131072;"
    "BEGIN;"
    "CREATE TEMP TABLE servers(k INTEGER PRIMARY KEY, game TEXT, address TEXT);"
    "INSERT INTO servers VALUES (0, 'ut', '127.0.0.1'), (1, 'q3', '127.0.0.2'),"
    " (2, 'u4', '127.0.0.3:7787'), (3, 'css', '127.0.0.4');"
    "WITH RECURSIVE ago(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM ago WHERE n < 7 * 24 * 1200)"
    "INSERT INTO polls(time, address, game, title, name, map, players, max_players)"
    " SELECT strftime('%Y-%m-%dT%H:%M:%SZ', 1767225600 - n * 3, 'unixepoch'), address, game,"
    " 'Bench', 'A busy server', 'DM-Deck16][',"
    " ((1767225600 - n * 3) / 3600 % 24 * 5 + k) % 11 + 2 + n % 3, 16"
    " FROM ago CROSS JOIN servers ORDER BY n DESC, k;"
    "WITH RECURSIVE slots(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM slots WHERE i < 15)"
    "INSERT INTO poll_players(poll_id, name, frags)"
    " SELECT polls.id, 'Player' || ((slots.i + polls.id / 1200) % 300), (polls.id + slots.i) % 30"
    " FROM polls JOIN slots ON slots.i < polls.players ORDER BY polls.id, slots.i;"
    "COMMIT;"
    "PRAGMA journal_mode=DELETE;";

const char* const kBusyGame = "ut";
const char* const kBusyAddress = "127.0.0.1";
const char* const kEmptyAddress = "127.0.0.9";

void Exec(const std::string& path, const std::string& sql) {
  sqlite3* database = nullptr;
  int result = sqlite3_open(path.c_str(), &database);
  char* message = nullptr;
  if (result == SQLITE_OK)
    result = sqlite3_exec(database, sql.c_str(), nullptr, nullptr, &message);
  const std::string reason = message ? message : sqlite3_errstr(result);
  sqlite3_free(message);
  sqlite3_close(database);
  if (result != SQLITE_OK)
    throw std::runtime_error(path + ": " + reason);
}

void OpenAsThePluginDoes(const std::string& path) {
  HistoryStore* store = nullptr;
  char error[256] = "";
  const int result = HistoryStoreOpen(path.c_str(), &store, error, sizeof error);
  HistoryStoreClose(store);
  if (result != SQLITE_OK)
    throw std::runtime_error(path + ": " + error);
}

// Makes the file under another name first, so that a run stopped half-way
// leaves none.
void MakeOnce(const fs::path& file, const std::function<void(const std::string&)>& make) {
  if (fs::exists(file))
    return;
  const fs::path partial = file.string() + ".partial";
  fs::remove(partial);
  std::printf("making %s...\n", file.c_str());
  std::fflush(stdout);
  make(partial.string());
  fs::rename(partial, file);
}

double Seconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double MiB(const fs::path& file) {
  return static_cast<double>(fs::file_size(file)) / (1024.0 * 1024.0);
}

bool SameAnswers(const TServerHistory& a, const TServerHistory& b) {
  auto same = [](const std::vector<THistoryPoint>& x, const std::vector<THistoryPoint>& y) {
    return std::equal(x.begin(), x.end(), y.begin(), y.end(), [](const auto& p, const auto& q) {
      return p.Time == q.Time && p.Players == q.Players;
    });
  };
  return a.Error.empty() && b.Error.empty() && same(a.Day, b.Day) && same(a.Week, b.Week) &&
         std::equal(a.LastSeen.begin(), a.LastSeen.end(), b.LastSeen.begin(), b.LastSeen.end(),
                    [](const TLastSeen& p, const TLastSeen& q) {
                      return p.Name == q.Name && p.Time == q.Time;
                    });
}

int Run(const fs::path& folder) {
  fs::create_directories(folder);
  const fs::path first = folder / "four-servers-first-version.db";
  const fs::path upgraded = folder / "four-servers-upgraded.db";
  const fs::path alone = folder / "busy-server-alone.db";

  MakeOnce(first, [](const std::string& path) {
    Exec(path, std::string(kFirstVersionSchema) + kWeekOfFourServers);
  });
  MakeOnce(alone, [&first](const std::string& path) {
    OpenAsThePluginDoes(path);
    Exec(path, "ATTACH '" + first.string() +
                   "' AS four; BEGIN;"
                   "INSERT INTO polls SELECT * FROM four.polls WHERE game = 'ut'"
                   " AND address = '127.0.0.1';"
                   "INSERT INTO poll_players SELECT p.poll_id, p.name, p.frags"
                   " FROM four.poll_players AS p JOIN polls ON polls.id = p.poll_id"
                   " ORDER BY p.rowid;"
                   "COMMIT; PRAGMA wal_checkpoint(TRUNCATE);");
  });
  for (const char* suffix : {"", "-wal", "-shm"})
    fs::remove(upgraded.string() + suffix);
  fs::copy_file(first, upgraded);
  const double upgrade = Seconds([&] { OpenAsThePluginDoes(upgraded.string()); });
  std::printf("four servers: %.0f MiB as the first version, %.0f MiB upgraded (upgrade in place: "
              "%.1f s, once); the busy server alone: %.0f MiB\n",
              MiB(first), MiB(upgraded), upgrade, MiB(alone));

  auto read = [](const fs::path& file, const char* address, TServerHistory* history) {
    return Seconds([&] { *history = ReadServerHistory(file.string(), kBusyGame, address, kNow); });
  };
  std::vector<double> emptyBefore, emptyAfter, busyBefore, busyAfter, busyAlone;
  TServerHistory before, after, yardstick, empty;
  bool answersAgree = true;
  // Alternating rounds, so that a busy moment of the machine weighs on every side.
  for (int round = 0; round < kRounds; ++round) {
    emptyBefore.push_back(read(first, kEmptyAddress, &empty));
    answersAgree = answersAgree && empty.Error.empty() && empty.Empty();
    emptyAfter.push_back(read(upgraded, kEmptyAddress, &empty));
    answersAgree = answersAgree && empty.Error.empty() && empty.Empty();
    busyBefore.push_back(read(first, kBusyAddress, &before));
    busyAfter.push_back(read(upgraded, kBusyAddress, &after));
    busyAlone.push_back(read(alone, kBusyAddress, &yardstick));
    answersAgree = answersAgree && SameAnswers(before, after) && SameAnswers(after, yardstick) &&
                   !after.LastSeen.empty() && !after.Day.empty();
  }
  const double ms = 1000;
  std::printf("server with no polls: %.1f ms before, %.2f ms after (target under 50 ms)\n",
              Median(emptyBefore) * ms, Median(emptyAfter) * ms);
  std::printf("busy server (%zu players, %zu day spans): %.0f ms before, %.0f ms after; "
              "alone in its file %.0f ms\n",
              after.LastSeen.size(), after.Day.size(), Median(busyBefore) * ms,
              Median(busyAfter) * ms, Median(busyAlone) * ms);
  std::printf("busy server against alone: %.2fx before, %.2fx after (target at most 2)\n",
              Median(busyBefore) / Median(busyAlone), Median(busyAfter) / Median(busyAlone));
  if (!answersAgree) {
    std::fprintf(stderr, "the reads did not give the same answers\n");
    return 1;
  }
  return 0;
}

} // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc > 1 ? argv[1] : fs::temp_directory_path() / "skarvel-history-bench");
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
}
