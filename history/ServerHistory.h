#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

// The spans of the history: the reader buckets polls by them and the window
// draws them, so both take them from here.
namespace history_span {
constexpr std::time_t kDay = 24 * 60 * 60;
constexpr std::time_t kWeek = 7 * kDay;
constexpr std::time_t kDayPoint = 5 * 60;   // one point of the last 24 hours
constexpr std::time_t kWeekPoint = 60 * 60; // one point of the last 7 days
} // namespace history_span

// The most players a server had at once within one span of time.
struct THistoryPoint {
  std::time_t Time = 0; // the span's start, UTC seconds
  int32_t Players = 0;
};

// The polls of one hour of the day (local time) and their players.
struct THourOfDay {
  int32_t Polls = 0;
  double PlayerSum = 0;
  double MeanPlayers() const { return Polls > 0 ? PlayerSum / Polls : 0; }
};

struct TLastSeen {
  std::string Name; // the bytes the server sent
  std::time_t Time = 0;
};

// What the history database knows of one server.
struct TServerHistory {
  // Empty when the database could be read; else why not.
  std::string Error;
  // Five-minute spans of the last 24 hours and hours of the last 7 days,
  // oldest first; spans without a poll are left out.
  std::vector<THistoryPoint> Day;
  std::vector<THistoryPoint> Week;
  // By local hour of the day, over the last 7 days.
  std::array<THourOfDay, 24> Hours{};
  // Every player the server ever had, newest first.
  std::vector<TLastSeen> LastSeen;

  bool Empty() const { return Week.empty() && LastSeen.empty(); }
  // The hours with polls, most players on average first (the earlier hour
  // first on a tie); at most `count`.
  std::vector<int> BusiestHours(std::size_t count) const;
};
