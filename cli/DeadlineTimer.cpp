#include "cli/DeadlineTimer.h"

#include <algorithm>

void TDeadlineTimer::Set(bool enabled, int32_t intervalMs, TClock::time_point now) {
  // A period of 0 would tick without pause.
  interval_ = std::chrono::milliseconds(std::max<int32_t>(intervalMs, 1));
  if (enabled)
    deadline_ = now + interval_;
  else
    deadline_.reset();
}

void TDeadlineTimer::Fired(TClock::time_point now) {
  if (deadline_)
    deadline_ = now + interval_;
}
