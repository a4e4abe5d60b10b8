#include "update/UpdateSchedule.h"

#include <cmath>

TDateTime TSystemUpdateClock::Now() {
  return ::Now();
}

std::chrono::steady_clock::time_point TSystemUpdateClock::Monotonic() {
  return std::chrono::steady_clock::now();
}

bool TUpdateSchedule::AutomaticCheckDue(int32_t checkUpdatesDays, TDateTime lastCheck) const {
  if (checkUpdatesDays <= 0)
    return false;
  if (retryAt_ && clock_.Monotonic() < *retryAt_)
    return false;
  return Today() - lastCheck > checkUpdatesDays;
}

void TUpdateSchedule::CheckFailed() {
  retryAt_ = clock_.Monotonic() + kRetryBackOff;
}

void TUpdateSchedule::CheckSucceeded() {
  retryAt_.reset();
}

TDateTime TUpdateSchedule::Today() const {
  return std::floor(clock_.Now());
}
