#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <sys/fsuid.h>
#include <unistd.h>

#include <sqlite3.h>

extern "C" {
#include "plugins/history/history_opener.h"
#include "plugins/history/history_trace.h"
}
#include "tests/plugins/history_database.h"
#include "tests/plugins/history_plugin.h"
#include "tests/support/TempDir.h"

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

// The plug-in waits at most 10 ms for another writer; this only catches a
// wait of seconds, with room to spare for a loaded machine.
constexpr auto kPromptly = std::chrono::seconds(2);

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

// The bytes of the file at path; "" when there is none.
std::string Contents(const std::string& path) {
  if (!fs::is_regular_file(path))
    return "";
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::chrono::steady_clock::duration TimedServerState(HistoryPlugin& plugin) {
  const auto start = std::chrono::steady_clock::now();
  plugin.ServerState(ServerPoll{});
  return std::chrono::steady_clock::now() - start;
}

// Root writes into read-only folders and files; while this lives, the file
// system sees an ordinary user in the calling thread instead.
class OrdinaryUser {
public:
  explicit OrdinaryUser(bool needed) : switched_(needed && geteuid() == 0) {
    if (switched_)
      setfsuid(65534);
  }
  ~OrdinaryUser() {
    if (switched_)
      setfsuid(0);
  }
  OrdinaryUser(const OrdinaryUser&) = delete;
  OrdinaryUser& operator=(const OrdinaryUser&) = delete;

private:
  bool switched_;
};

// A folder "locked" that nobody but root may write, reachable by everyone.
std::string ReadOnlyFolder(const TempDir& folder) {
  constexpr fs::perms kEveryoneReads = fs::perms::owner_all | fs::perms::group_read |
                                       fs::perms::group_exec | fs::perms::others_read |
                                       fs::perms::others_exec;
  fs::create_directory(folder.path() / "locked");
  fs::permissions(folder.path(), kEveryoneReads);
  fs::permissions(folder.path() / "locked", kEveryoneReads);
  return folder.file("locked/history.db");
}

void Lock(const fs::path& path) {
  fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
}

struct UnusableLocation {
  std::string name;
  // Makes the location in the folder; gives the Database setting.
  std::function<std::string(const TempDir&)> make;
  bool asOrdinaryUser = false;
};

void PrintTo(const UnusableLocation& location, std::ostream* out) {
  *out << location.name;
}

class HistoryUnusableDatabaseTest : public ::testing::TestWithParam<UnusableLocation> {
protected:
  ~HistoryUnusableDatabaseTest() override {
    std::error_code ignored;
    if (fs::exists(folder.path() / "locked", ignored))
      for (const auto& entry : fs::recursive_directory_iterator(folder.path(), ignored))
        fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
  }

  TempDir folder;
};

// A database that cannot be opened or written is no reason to stop the
// program or to hold up the poll: the polls are not stored, and the failure
// is written once, not once per poll.
TEST_P(HistoryUnusableDatabaseTest, PollsAreSkippedWithOneTraceLine) {
  const std::string path = GetParam().make(folder);
  const std::string before = Contents(path);

  HistoryPlugin plugin;
  ASSERT_NE(plugin.Init(path), 0);
  ASSERT_NE(plugin.PluginInfo(), nullptr);
  ::testing::internal::CaptureStderr();
  {
    OrdinaryUser user(GetParam().asOrdinaryUser);
    for (int poll = 0; poll < 3; ++poll)
      EXPECT_LT(TimedServerState(plugin), kPromptly);
  }
  const std::string trace = ::testing::internal::GetCapturedStderr();
  ASSERT_EQ(Lines(trace).size(), 1u) << trace;
  EXPECT_THAT(trace, HasSubstr("history: cannot use " + path)) << trace;
  // Not given up until the next start: the cause may pass (a full disk).
  EXPECT_THAT(trace, HasSubstr("; trying again every minute")) << trace;

  ::testing::internal::CaptureStderr();
  plugin.Detach();
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "history: polls not stored: 3\n");
  EXPECT_EQ(Contents(path), before) << "the file was changed";

  // The next start tries again, here with a usable database.
  ASSERT_NE(plugin.Init(folder.file("usable.db")), 0);
  plugin.ServerState(ServerPoll{});
  EXPECT_EQ(HistoryDatabase(folder.file("usable.db")).Single("SELECT count(*) FROM polls"), "1");
}

INSTANTIATE_TEST_SUITE_P(
    Locations, HistoryUnusableDatabaseTest,
    ::testing::Values(UnusableLocation{"AFolder",
                                       [](const TempDir& folder) {
                                         fs::create_directory(folder.path() / "history.db");
                                         return folder.file("history.db");
                                       }},
                      UnusableLocation{"InsideAFile",
                                       [](const TempDir& folder) {
                                         folder.write("plain", "a file, not a folder\n");
                                         return folder.file("plain/history.db");
                                       }},
                      UnusableLocation{
                          "MissingFolder",
                          [](const TempDir& folder) { return folder.file("missing/history.db"); }},
                      UnusableLocation{"NotADatabase",
                                       [](const TempDir& folder) {
                                         std::string text;
                                         for (int line = 0; line < 300; ++line)
                                           text += "notes of the user, not a database\n";
                                         return folder.write("history.db", text);
                                       }},
                      UnusableLocation{"ReadOnlyFolder", ReadOnlyFolder, true},
                      UnusableLocation{"ReadOnlyDatabase",
                                       [](const TempDir& folder) {
                                         const std::string path = ReadOnlyFolder(folder);
                                         HistoryDatabase(path).Run("CREATE TABLE kept(x)");
                                         Lock(path);
                                         Lock(folder.path() / "locked");
                                         return path;
                                       },
                                       true}),
    [](const ::testing::TestParamInfo<UnusableLocation>& test) { return test.param.name; });

struct LaterUsable {
  std::string name;
  // Makes a location that cannot be used; gives its path.
  std::function<std::string(const TempDir&)> make;
  // Makes it usable, as freeing space on a full disk would.
  std::function<void(const TempDir&)> repair;
  bool asOrdinaryUser = false;
};

void PrintTo(const LaterUsable& location, std::ostream* out) {
  *out << location.name;
}

class HistoryRetryTest : public ::testing::TestWithParam<LaterUsable> {
protected:
  ~HistoryRetryTest() override {
    std::error_code ignored;
    if (fs::exists(folder.path() / "locked", ignored))
      for (const auto& entry : fs::recursive_directory_iterator(folder.path(), ignored))
        fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
  }

  TempDir folder;
};

// A database that cannot be used at the first poll is tried again a minute
// later by the plug-in's clock, not at every poll, and not only at the next
// start: once the cause is gone the polls are stored again.
TEST_P(HistoryRetryTest, AFailedOpenIsTriedAgainAMinuteLater) {
  const LaterUsable& c = GetParam();
  const std::string path = c.make(folder);
  HistoryOpener opener{path.c_str(), nullptr, 0, 0};
  HistoryTraceForget();
  constexpr int64_t kFirst = 5000;
  const auto opened = [&](int64_t now) {
    OrdinaryUser user(c.asOrdinaryUser);
    return HistoryOpenedStore(&opener, now);
  };

  ::testing::internal::CaptureStderr();
  EXPECT_EQ(opened(kFirst), nullptr);
  c.repair(folder);
  EXPECT_EQ(opened(kFirst + 1), nullptr);
  EXPECT_EQ(opened(kFirst + HISTORY_RETRY_SECONDS - 1), nullptr);
  EXPECT_FALSE(fs::exists(path)) << "tried before the minute was over";
  HistoryStore* store = opened(kFirst + HISTORY_RETRY_SECONDS);
  const std::string trace = ::testing::internal::GetCapturedStderr();
  ASSERT_NE(store, nullptr) << trace;
  EXPECT_EQ(Lines(trace).size(), 1u) << trace;
  EXPECT_THAT(trace, HasSubstr("history: cannot use " + path)) << trace;
  EXPECT_THAT(trace, HasSubstr("trying again every minute")) << trace;

  const HistoryPoll poll{"2024-03-04T20:05:00Z",
                         {"127.0.0.1", 9},
                         {"ut", 2},
                         {nullptr, 0},
                         {nullptr, 0},
                         {nullptr, 0},
                         {0, 0},
                         {0, 0},
                         0,
                         nullptr,
                         nullptr};
  char error[256] = "";
  {
    OrdinaryUser user(c.asOrdinaryUser);
    EXPECT_EQ(HistoryStoreWrite(store, &poll, error, sizeof error), SQLITE_OK) << error;
    HistoryOpenerClose(&opener);
  }
  EXPECT_EQ(HistoryDatabase(path).Single("SELECT count(*) FROM polls"), "1");
}

INSTANTIATE_TEST_SUITE_P(
    Causes, HistoryRetryTest,
    ::testing::Values(
        LaterUsable{"FolderMadeLater",
                    [](const TempDir& folder) { return folder.file("later/history.db"); },
                    [](const TempDir& folder) { fs::create_directory(folder.path() / "later"); }},
        // A folder that takes no new file stands in for a full disk.
        LaterUsable{"FolderWritableLater", ReadOnlyFolder,
                    [](const TempDir& folder) {
                      fs::permissions(folder.path() / "locked", fs::perms::all,
                                      fs::perm_options::add);
                    },
                    true}),
    [](const ::testing::TestParamInfo<LaterUsable>& test) { return test.param.name; });

// However long it stays unusable, the trace says so once.
TEST(HistoryRetryLimitTest, AnUnusableDatabaseIsSaidOnce) {
  TempDir folder;
  fs::create_directory(folder.path() / "history.db");
  const std::string path = folder.file("history.db");
  HistoryOpener opener{path.c_str(), nullptr, 0, 0};
  HistoryTraceForget();
  ::testing::internal::CaptureStderr();
  for (int64_t now = 0; now <= 10 * HISTORY_RETRY_SECONDS; now += 7)
    EXPECT_EQ(HistoryOpenedStore(&opener, now), nullptr);
  const std::string trace = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(Lines(trace).size(), 1u) << trace;
  HistoryOpenerClose(&opener);
}

struct Holder {
  std::string name;
  bool pluginOpensFirst; // else the other program holds the database before
};

void PrintTo(const Holder& holder, std::ostream* out) {
  *out << holder.name;
}

class HistoryLockedDatabaseTest : public ::testing::TestWithParam<Holder> {};

// Another program writing the database makes the poll skip its row after the
// short busy timeout, and the plug-in stores again once the database is free.
TEST_P(HistoryLockedDatabaseTest, APollDoesNotWaitForAnotherWriter) {
  TempDir folder;
  const std::string path = folder.file("history.db");
  HistoryPlugin plugin;
  ASSERT_NE(plugin.Init(path), 0);
  if (GetParam().pluginOpensFirst)
    plugin.ServerState(ServerPoll{});

  HistoryDatabase other(path);
  other.Run("CREATE TABLE IF NOT EXISTS notes(text); BEGIN IMMEDIATE;"
            "INSERT INTO notes VALUES('held')");
  ::testing::internal::CaptureStderr();
  EXPECT_LT(TimedServerState(plugin), kPromptly);
  EXPECT_LT(TimedServerState(plugin), kPromptly);
  const std::string trace = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(Lines(trace).size(), 1u) << trace;
  EXPECT_THAT(trace, HasSubstr("history: ")) << trace;
  other.Run("COMMIT");

  plugin.ServerState(ServerPoll{});
  EXPECT_EQ(other.Single("SELECT count(*) FROM polls"), GetParam().pluginOpensFirst ? "2" : "1");
  EXPECT_EQ(other.Single("PRAGMA journal_mode"), "wal");
}

INSTANTIATE_TEST_SUITE_P(Holders, HistoryLockedDatabaseTest,
                         ::testing::Values(Holder{"WhileThePluginHasItOpen", true},
                                           Holder{"BeforeThePluginOpensIt", false}),
                         [](const ::testing::TestParamInfo<Holder>& test) {
                           return test.param.name;
                         });

} // namespace
