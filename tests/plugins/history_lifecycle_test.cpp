#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <unistd.h>

#include "tests/plugins/history_database.h"
#include "tests/plugins/history_plugin.h"
#include "tests/support/TempDir.h"

namespace {

namespace fs = std::filesystem;

std::string PollCount(const std::string& path) {
  return HistoryDatabase(path).Single("SELECT count(*) FROM polls").value_or("NULL");
}

TEST(HistoryLifecycleTest, InitAnswersAsAStatisticsPluginAndOpensNothingYet) {
  TempDir folder;
  HistoryPlugin plugin;
  ASSERT_NE(plugin.Init(folder.file("history.db")), 0);

  const TPluginInfo* info = plugin.PluginInfo();
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->Version, 0x02050000u);
  EXPECT_EQ(info->ErrorText, nullptr);
  EXPECT_EQ(info->GameInfo, nullptr);
  ASSERT_NE(plugin.FileVersion(), nullptr);
  EXPECT_EQ(plugin.FileVersion()[0], 1u);
  EXPECT_FALSE(folder.exists("history.db"));
}

// Detach closes the database (its write-ahead log is folded in and removed
// with the last connection), and a new Init takes the settings anew.
TEST(HistoryLifecycleTest, DetachClosesTheDatabaseAndANewInitStartsAgain) {
  TempDir folder;
  const std::string first = folder.file("first.db");
  const std::string second = folder.file("second.db");
  HistoryPlugin plugin;

  ASSERT_NE(plugin.Init(first), 0);
  plugin.ServerState(ServerPoll{});
  EXPECT_TRUE(folder.exists("first.db-wal"));
  plugin.Detach();
  EXPECT_FALSE(folder.exists("first.db-wal"));
  plugin.ServerState(ServerPoll{});

  ASSERT_NE(plugin.Init(second), 0);
  plugin.ServerState(ServerPoll{});
  plugin.Detach();
  ASSERT_NE(plugin.Init(first), 0);
  plugin.ServerState(ServerPoll{});
  plugin.Detach();

  EXPECT_EQ(PollCount(first), "2");
  EXPECT_EQ(PollCount(second), "1");
}

// Restores the working folder when it goes away.
class WorkingFolder {
public:
  explicit WorkingFolder(const fs::path& folder) : saved_(fs::current_path()) {
    fs::current_path(folder);
  }
  ~WorkingFolder() { fs::current_path(saved_); }
  WorkingFolder(const WorkingFolder&) = delete;
  WorkingFolder& operator=(const WorkingFolder&) = delete;

private:
  fs::path saved_;
};

struct Location {
  std::string name;
  std::optional<std::string> setting; // nothing: the host has no settings callbacks
  std::string database;               // relative to the program folder
  bool installed = false; // the plug-in lies in an installed folder, not the program folder
};

void PrintTo(const Location& location, std::ostream* out) {
  *out << location.name;
}

class HistoryLocationTest : public ::testing::TestWithParam<Location> {};

// The plug-in keeps its database in the program folder, which the host has
// made the working folder when it loads plug-ins, unless the settings name
// another file; never beside an installed plug-in, in a system folder.
TEST_P(HistoryLocationTest, TheDatabaseIsWhereTheSettingsSay) {
  TempDir folder;
  fs::create_directory(folder.path() / "programs");
  fs::create_directory(folder.path() / "programs/sub");
  fs::create_directory(folder.path() / "installed");
  const fs::path library =
      folder.path() / (GetParam().installed ? "installed" : "programs") / "history.so";
  fs::copy_file(HISTORY_PLUGIN, library);

  HistoryPlugin plugin(library.string());
  std::optional<std::string> setting = GetParam().setting;
  if (setting && setting->starts_with("<folder>"))
    setting = folder.path().string() + setting->substr(8);
  {
    WorkingFolder working(folder.path() / "programs");
    ASSERT_NE(setting ? plugin.Init(setting) : plugin.InitWithoutSettings(), 0);
  }
  plugin.ServerState(ServerPoll{});

  const std::string expected = (folder.path() / "programs" / GetParam().database).string();
  ASSERT_TRUE(fs::exists(expected)) << expected;
  EXPECT_EQ(PollCount(expected), "1");
  EXPECT_FALSE(fs::exists(folder.path() / "installed" / GetParam().database));
}

INSTANTIATE_TEST_SUITE_P(
    Settings, HistoryLocationTest,
    ::testing::Values(Location{"NoValue", "", "history.db"},
                      Location{"NoSettingsCallbacks", std::nullopt, "history.db"},
                      Location{"FileName", "stats.db", "stats.db"},
                      Location{"RelativePath", "sub/stats.db", "sub/stats.db"},
                      Location{"AbsolutePath", "<folder>/programs/sub/elsewhere.db",
                               "sub/elsewhere.db"},
                      Location{"Installed", "", "history.db", true},
                      Location{"InstalledFileName", "stats.db", "stats.db", true}),
    [](const ::testing::TestParamInfo<Location>& test) { return test.param.name; });

} // namespace
