#include <gtest/gtest.h>

#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "config/AppSettings.h"
#include "config/IniFile.h"
#include "config/SettingsFile.h"
#include "tests/support/FakePollPorts.h"

namespace {

using Lines = std::vector<std::string>;

// A monitor started from the settings file of a scratch program folder, as
// both front ends start theirs.
class MonitorStartTest : public ::testing::Test {
protected:
  // Two Quake 3 addresses: one query each, 1000 ms per cycle at 500 ms a query.
  static std::string Settings(const std::string& network) {
    return "[Common]\nVersion=2.5\n[Network]\nCheckUpdates=0\nMaxWaitAnswer=500\n" + network +
           "[Address]\n10.0.0.1:27960,q3=1\n10.0.0.2:27960,q3=1\n";
  }

  // A new monitor, started: a monitor starts once in its life.
  TMonitor& Start() {
    ports = FakePollPorts{};
    monitor = std::make_unique<TMonitor>(events.Roles(), ports);
    EXPECT_TRUE(EnsureIniFile());
    monitor->Start(options);
    return *monitor;
  }

  ScratchProgramFolder folder;
  TStartupOptions options;
  PollEvents events;
  FakePollPorts ports;
  std::unique_ptr<TMonitor> monitor;
};

struct IntervalCase {
  const char* network;
  int32_t userInterval;
  const char* cycleTimer;
};

// The cycle period is raised for the engine alone: what the user set stays
// in the settings and is what a save writes.
TEST_F(MonitorStartTest, TheRaisedPeriodIsNeitherSetNorSaved) {
  const IntervalCase cases[] = {
      {"Interval=600\n", 600, "cycle on 1000"},
      {"Interval=0\n", 0, "cycle off"},
      {"Interval=2000\n", 2000, "cycle on 2000"},
  };
  for (const IntervalCase& c : cases) {
    SCOPED_TRACE(c.network);
    folder.write("skarvel.ini", Settings(c.network));
    Start();
    EXPECT_EQ(ports.timerCalls.front(), c.cycleTimer);
    EXPECT_EQ(AppSettings.Interval, c.userInterval);

    SaveAppSettings();
    EXPECT_EQ(TIniFile(IniPath()).ReadInteger("Network", "Interval", -1), c.userInterval);
  }
}

TEST_F(MonitorStartTest, FrontEndSettingsAreReadBetweenTheGamesAndTheLists) {
  folder.write("skarvel.ini", Settings("Interval=3000\n"));
  bool read = false;
  options.ReadFrontEndSettings = [&] {
    read = true;
    EXPECT_EQ(IniOpenCount(), 1); // inside the start-up's bracket
    EXPECT_GT(monitor->Games.Count(), 0);
    EXPECT_EQ(monitor->Addresses.Count(), 0);
    EXPECT_TRUE(ports.timerCalls.empty()); // the timers are not applied yet
  };
  const TMonitor& started = Start();
  EXPECT_TRUE(read);
  EXPECT_EQ(IniOpenCount(), 0);
  EXPECT_EQ(started.Addresses.Count(), 2);
  // The first cycle has started.
  EXPECT_TRUE(started.Engine.Polling());
  ASSERT_EQ(ports.sent.size(), 1u);
  EXPECT_EQ(ports.sent[0].host, "10.0.0.1");
}

struct ProblemCase {
  const char* name;
  const char* folderInstead; // a file made a folder, so it cannot be written
  const char* settings;
  Lines loadProblems;
  Lines logProblems;
};

// A problem is reported by its own callback, and start-up goes on to the
// first cycle all the same.
TEST_F(MonitorStartTest, ProblemsAreReportedAndTheFirstCycleStillStarts) {
  const std::string stats = folder.file("stats.txt");
  const ProblemCase cases[] = {
      {"settings file", "skarvel.ini", "", {"load"}, {}},
      {"stats log", "stats.txt", "Stats=1\n", {}, {"Unable to write to " + stats}},
  };
  for (const ProblemCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(folder.path());
    std::filesystem::create_directories(folder.path() / c.folderInstead);
    if (std::string(c.folderInstead) != "skarvel.ini")
      folder.write("skarvel.ini", Settings(c.settings));
    Lines loadProblems;
    Lines logProblems;
    options.LoadFailed = [&](const std::exception&) { loadProblems.push_back("load"); };
    options.LogFailed = [&](const std::exception& error) { logProblems.push_back(error.what()); };

    const TMonitor& started = Start();
    EXPECT_EQ(loadProblems, c.loadProblems);
    EXPECT_EQ(logProblems, c.logProblems);
    EXPECT_TRUE(started.Engine.Polling());
    EXPECT_EQ(ports.sent.size(), 1u);
  }
}

} // namespace
