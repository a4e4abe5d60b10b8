#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

// A periodic timer as a deadline on the monotonic clock; the loop that owns
// it asks when it is due and fires it.
class TDeadlineTimer {
public:
  using TClock = std::chrono::steady_clock;

  // Arming (also a running timer) starts a full period now.
  void Set(bool enabled, int32_t intervalMs, TClock::time_point now);
  std::optional<TClock::time_point> Deadline() const { return deadline_; }
  bool Due(TClock::time_point now) const { return deadline_ && *deadline_ <= now; }
  // The next period starts now; a late tick does not pile up further ones.
  void Fired(TClock::time_point now);

private:
  std::optional<TClock::time_point> deadline_;
  std::chrono::milliseconds interval_{0};
};
