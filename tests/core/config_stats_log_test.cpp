#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "config/AppSettings.h"
#include "config/StatsLog.h"
#include "tests/support/ScratchProgramFolder.h"
#include "util/app_dir.h"
#include "util/datetime.h"

namespace {

class StatsLogTest : public ::testing::Test {
protected:
  ScratchProgramFolder tmp;
};

TEST_F(StatsLogTest, WithStatsOffNothingIsCreated) {
  AppSettings.Stats = false;
  StatsLog("Program started");
  AppendLogLine("server.log", "event");
  EXPECT_TRUE(std::filesystem::is_empty(tmp.path()));
}

TEST_F(StatsLogTest, AppendsStampedLinesWithTheTextTakenLiterally) {
  AppSettings.Stats = true;
  const TDateTime before = Now();
  StatsLog("Program started");
  StatsLog("%s%n%x %% 100%");
  const TDateTime after = Now();

  const std::string log = tmp.read("stats.txt");
  const size_t firstEnd = log.find('\n');
  ASSERT_NE(firstEnd, std::string::npos);
  const std::string lines[] = {log.substr(0, firstEnd + 1), log.substr(firstEnd + 1)};
  const std::string texts[] = {"Program started", "%s%n%x %% 100%"};
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(lines[i]);
    const std::string ending = " " + texts[i] + "\n";
    ASSERT_GE(lines[i].size(), ending.size());
    EXPECT_EQ(lines[i].substr(lines[i].size() - ending.size()), ending);
    const std::string stamp = lines[i].substr(0, lines[i].size() - ending.size());
    EXPECT_TRUE(stamp == DateTimeToStr(before) || stamp == DateTimeToStr(after)) << stamp;
  }
}

TEST_F(StatsLogTest, NamesResolveInTheProgramFolderUnlessTheyHoldAPath) {
  AppSettings.Stats = true;
  std::filesystem::create_directory(tmp.path() / "logs");
  AppendLogLine("server.log", "a");
  AppendLogLine(tmp.file("logs/other.log"), "b");
  EXPECT_TRUE(tmp.exists("server.log"));
  EXPECT_TRUE(tmp.exists("logs/other.log"));
  EXPECT_FALSE(std::filesystem::exists(tmp.path() / "logs/server.log"));
}

TEST_F(StatsLogTest, UnwritableFileRaisesAnErrorNamingIt) {
  AppSettings.Stats = true;
  std::filesystem::create_directory(tmp.path() / "stats.txt"); // fails even for root
  try {
    StatsLog("x");
    ADD_FAILURE() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find(tmp.file("stats.txt")), std::string::npos) << e.what();
  }
}

} // namespace
