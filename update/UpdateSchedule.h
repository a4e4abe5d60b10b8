#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

#include "util/datetime.h"

// Where the schedule reads the time; tests move a fake one.
class IUpdateClock {
public:
  virtual ~IUpdateClock() = default;
  virtual TDateTime Now() = 0; // local date and time
  // Never jumps with the wall clock, so a changed date cannot stretch or
  // skip the wait after a failure.
  virtual std::chrono::steady_clock::time_point Monotonic() = 0;
};

class TSystemUpdateClock : public IUpdateClock {
public:
  TDateTime Now() override;
  std::chrono::steady_clock::time_point Monotonic() override;
};

// When the automatic check runs: every "CheckUpdates" days after the last
// successful check, and after a failed check not again within the back-off,
// so a machine without the server does not ask it at every cycle tick.
class TUpdateSchedule {
public:
  static constexpr std::chrono::minutes kRetryBackOff{60};

  explicit TUpdateSchedule(IUpdateClock& clock) : clock_(clock) {}

  // checkUpdatesDays <= 0 turns the automatic check off.
  bool AutomaticCheckDue(int32_t checkUpdatesDays, TDateTime lastCheck) const;
  void CheckFailed();
  void CheckSucceeded();
  // Today's date without the time: what a successful check stores.
  TDateTime Today() const;

private:
  IUpdateClock& clock_;
  std::optional<std::chrono::steady_clock::time_point> retryAt_;
};
