#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/NotifyFixture.h"

namespace {

using namespace notify_fixture;

// The event log file and the events of the poll cycle's end.
class NotifyLogTest : public NotifyFixture {};

TEST_F(NotifyLogTest, LogFileHoldsExactlyTheEventLinesAsWritten) {
  AppSettings.PopupMessages = true;
  auto server = Make();
  server->SetOnline(true);
  Pass(*server, {"%d%p"}, kStart, "%s%n%x");
  server->NotifyOffline();

  const Lines expected = {
      "Player %d%p entered Q3 server \"%s%n%x\" (10.0.0.5)",
      "Q3 server \"%s%n%x\" (10.0.0.5) is offline",
  };
  Lines texts;
  Lines balloons;
  for (const std::string& call : Take()) {
    if (call.starts_with("Log "))
      texts.push_back(call.substr(4));
    if (call.starts_with("ShowBalloon"))
      balloons.push_back(call);
  }
  EXPECT_EQ(balloons, Lines{"ShowBalloon 0 title=Arena Box (Q3) text=Players online: %d%p"});
  // The reader takes the whole file: every byte belongs to one of these lines.
  EXPECT_EQ(texts, expected);
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
    files.push_back(entry.path().filename().string());
  EXPECT_EQ(files, std::vector<std::string>{"stats.txt"});
}

TEST_F(NotifyLogTest, ServersOwnLogFileIsUsed) {
  std::filesystem::create_directory(folder.path() / "logs");
  struct Case {
    std::string own;
    std::string written;
  };
  const std::vector<Case> cases = {
      {"server.log", folder.file("server.log")},
      {folder.file("logs/arena.log"), folder.file("logs/arena.log")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.own);
    LogReader reader(c.written);
    auto server = Make();
    server->Log = c.own;
    server->Info[SKARVEL_INFO_NAME] = "Arena";
    server->NotifyOffline();
    EXPECT_EQ(reader.NewTexts(), Lines{"Q3 server \"Arena\" (10.0.0.5) is offline"});
  }
  EXPECT_FALSE(folder.exists("stats.txt"));
}

TEST_F(NotifyLogTest, WithStatsOffNoFileIsCreated) {
  AppSettings.Stats = false;
  TServerList live, known, pending;
  TAddress polled(games, "10.0.0.255", 0, kQ3);
  RouteReply(live, known, pending, events.Roles(), polled, "10.0.0.5", 27960, 0,
             Q3Reply("Arena", {"A"}), kStart);
  live.CommitAnswered(kStart);
  live.RemoveExpired(kStart + 7 * kSecond, 3000);
  EXPECT_EQ(live.Count(), 0);
  EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

TEST_F(NotifyLogTest, UnwritableLogStopsNothing) {
  auto reference = Make();
  reference->SetOnline(true);
  Pass(*reference, {"A"}, kStart);
  Pass(*reference, {"B"}, kStart + kSecond);
  Lines expected;
  for (const std::string& call : Take())
    if (!call.starts_with("Log "))
      expected.push_back(call);
  reference.reset();
  events.Take();

  auto server = Make();
  server->Log = folder.file("missing/arena.log");
  server->SetOnline(true);
  Pass(*server, {"A"}, kStart);
  Pass(*server, {"B"}, kStart + kSecond);
  server->NotifyOffline();
  EXPECT_EQ(Take(), expected);
  EXPECT_FALSE(std::filesystem::exists(folder.path() / "missing"));
}

// With a 3000 ms interval a server silent since 0 s is removed at the first
// end of cycle after 6 s, saying so once; with 2500 ms after 4 s.
TEST_F(NotifyLogTest, OfflineComesOnceAtTheFirstCycleEndPastTheThreshold) {
  struct Case {
    int32_t intervalMs;
    int removedAtCycle; // cycles end every interval; cycle 0 is the answer
  };
  for (const Case& c : {Case{3000, 3}, Case{2500, 2}}) {
    SCOPED_TRACE(c.intervalMs);
    TServerList live, known, pending;
    TAddress polled(games, "10.0.0.255", 0, kQ3);
    for (int cycle = 0; live.Count() > 0 || cycle == 0; ++cycle) {
      const TDateTime now = kStart + cycle * c.intervalMs / 1000.0 * kSecond;
      live.ResetCycle();
      live.ResetPass();
      if (cycle == 0)
        RouteReply(live, known, pending, events.Roles(), polled, "10.0.0.5", 27960, 0,
                   Q3Reply("Arena", {}), now);
      live.CommitAnswered(now);
      live.MarkSilentOffline();
      live.RemoveExpired(now, c.intervalMs);
      if (live.Count() == 0) {
        EXPECT_EQ(cycle, c.removedAtCycle);
      }
      ASSERT_LE(cycle, 10);
    }
    Lines logLines;
    for (const std::string& call : Take())
      if (call.starts_with("Log "))
        logLines.push_back(call);
    EXPECT_EQ(logLines, (Lines{"Log Q3 server \"Arena\" (10.0.0.5) is online",
                               "Log Q3 server \"Arena\" (10.0.0.5) is offline"}));
  }
}

TEST_F(NotifyLogTest, ServerMissingOneCycleComesBackWithoutAnEvent) {
  TServerList live, known, pending;
  TAddress polled(games, "10.0.0.255", 0, kQ3);
  const auto cycle = [&](int number, bool answers) {
    const TDateTime now = kStart + number * 3 * kSecond;
    live.ResetCycle();
    live.ResetPass();
    if (answers)
      RouteReply(live, known, pending, events.Roles(), polled, "10.0.0.5", 27960, 0,
                 Q3Reply("Arena", {"A"}), now);
    live.CommitAnswered(now);
    live.MarkSilentOffline();
    live.RemoveExpired(now, 3000);
  };
  cycle(0, true);
  Take();
  cycle(1, false);
  cycle(2, true);
  cycle(3, true);
  ASSERT_EQ(live.Count(), 1);
  EXPECT_TRUE(live.Items(0).Online);
  EXPECT_EQ(Take(), (Lines{
                        "HideTrayIcon 0",
                        "RefreshTray",
                        "ShowTrayIcon 0 hint=Arena - q3dm17 (1) count=1 image=3",
                        "RefreshTray",
                        "ShowTrayIcon 0 hint=Arena - q3dm17 (1) count=1 image=3",
                        "RefreshTray",
                        "NotifyStatistics 10.0.0.5",
                        "ShowTrayIcon 0 hint=Arena - q3dm17 (1) count=1 image=3",
                        "RefreshTray",
                        "NotifyStatistics 10.0.0.5",
                    }));
}

} // namespace
