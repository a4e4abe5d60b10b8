#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

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

// The line is "<date> <time> <text>\n", stamped at `before` or at `after`.
void ExpectStampedLine(const std::string& line, const std::string& text, TDateTime before,
                       TDateTime after) {
  SCOPED_TRACE(line);
  const std::string ending = " " + text + "\n";
  ASSERT_GE(line.size(), ending.size());
  EXPECT_EQ(line.substr(line.size() - ending.size()), ending);
  const std::string stamp = line.substr(0, line.size() - ending.size());
  EXPECT_TRUE(stamp == DateTimeToStr(before) || stamp == DateTimeToStr(after)) << stamp;
}

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
  ExpectStampedLine(lines[0], "Program started", before, after);
  ExpectStampedLine(lines[1], "%s%n%x %% 100%", before, after);
}

struct ServerTextCase {
  std::string label;
  std::string text;    // as the event line is built, server texts as they came
  std::string written; // after the stamp
};

// Every event log goes through AppendLogLine: one line of UTF-8 per event,
// whatever bytes the server sent.
TEST_F(StatsLogTest, ServerTextsAreWrittenAsOneLineOfUtf8) {
  AppSettings.Stats = true;
  const std::vector<ServerTextCase> cases = {
      {"LF forges a line", "Q3 server \"A\n01.01.70 00:00:00 Program terminated\" is online",
       "Q3 server \"A?01.01.70 00:00:00 Program terminated\" is online"},
      {"CR overwrites the line on a terminal", "Player Bob\rFake entered",
       "Player Bob?Fake entered"},
      {"ESC and BEL drive the terminal", "UT server \"\x1B]0;x\x07\x1B[2J\" is offline",
       "UT server \"?]0;x??[2J\" is offline"},
      {"TAB, NUL and DEL", "a\tb" + std::string(1, '\0') + "c\x7F", "a?b?c?"},
      {"C1 CSI and NEL in UTF-8", "\xC2\x9BH \xC2\x85", "?H ?"},
      {"Unicode line separator", "line\xE2\x80\xA8next", "line?next"},
      {"Latin-1 as the window shows it", "Player J\xF6rg entered", "Player J\xC3\xB6rg entered"},
      {"Windows-1252 and its unassigned bytes", "\x80\x93\x81", "\xE2\x82\xAC\xE2\x80\x9C?"},
      {"UTF-8 stays", "Player Zo\xC3\xAB \xF0\x9F\x98\x80 entered",
       "Player Zo\xC3\xAB \xF0\x9F\x98\x80 entered"},
      // A player's UTF-8 name on a server with a Latin-1 name: each as the window shows it.
      {"UTF-8 beside Latin-1", "Player Zo\xC3\xAB entered UT server \"Caf\xE9\" (10.0.0.5)",
       "Player Zo\xC3\xAB entered UT server \"Caf\xC3\xA9\" (10.0.0.5)"},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const ServerTextCase& c = cases[i];
    SCOPED_TRACE(c.label);
    const std::string name = "case" + std::to_string(i) + ".log";
    const TDateTime before = Now();
    AppendLogLine(name, c.text);
    const TDateTime after = Now();
    ExpectStampedLine(tmp.read(name), c.written, before, after);
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
