#include <gtest/gtest.h>

#include "history/HistoryFile.h"
#include "tests/support/TempDir.h"

namespace {

struct PathCase {
  const char* folder;
  const char* setting;
  const char* expected;
};

TEST(HistoryDatabaseFile, FollowsThePluginsRule) {
  const PathCase cases[] = {
      {"/home/anna/.config/skarvel", "", "/home/anna/.config/skarvel/history.db"},
      {"/home/anna/.config/skarvel", "old/h.db", "/home/anna/.config/skarvel/old/h.db"},
      {"/home/anna/.config/skarvel", "/var/lib/h.db", "/var/lib/h.db"},
      {"/", "", "/history.db"},
      {"/", "h.db", "/h.db"},
  };
  for (const PathCase& c : cases)
    EXPECT_EQ(HistoryDatabaseFile(c.folder, c.setting), c.expected)
        << c.folder << " + " << c.setting;
}

TEST(HistoryDatabaseExists, OnlyForAFile) {
  TempDir home;
  EXPECT_FALSE(HistoryDatabaseExists(home.file("history.db")));
  EXPECT_FALSE(HistoryDatabaseExists(home.path().string())) << "a folder records nothing";
  home.write("history.db", "");
  EXPECT_TRUE(HistoryDatabaseExists(home.file("history.db")));
}

} // namespace
