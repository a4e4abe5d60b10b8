#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

// Keeps announcements from flooding the desktop: at most kBurst in any
// kWindow. The rest are held and folded into one "and N more", which may show
// once the window has room again; while it waits, every later announcement
// joins it, so the order of what the user sees is kept. Plain C++ over an
// injected time, so the folding is tested without waiting.
class TAnnouncementThrottle {
public:
  using TimePoint = std::chrono::steady_clock::time_point;
  static constexpr int32_t kBurst = 5;
  static constexpr std::chrono::seconds kWindow{10};

  // What was held back: how many, and the first line of each.
  struct TFolded {
    int32_t Count = 0;
    std::vector<std::string> FirstLines;
  };

  // True: show it now (it counts from `now`). False: it was folded.
  bool Admit(TimePoint now, const std::string& text);
  // When the folded announcement may show; nothing while none is held.
  std::optional<TimePoint> FoldedDue() const;
  // The folded announcement, once FoldedDue has come; it counts from `now`.
  // Nothing while none is held or it is not due yet.
  std::optional<TFolded> TakeFolded(TimePoint now);

private:
  void Forget(TimePoint now);

  std::deque<TimePoint> shown_; // within the last kWindow, oldest first
  std::optional<TFolded> folded_;
};
