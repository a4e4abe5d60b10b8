#include "tray/AnnouncementThrottle.h"

#include <utility>

namespace {

// The folded announcement lists this many of the held ones; the count says
// how many there are in all.
constexpr std::size_t kListedLines = 8;

std::string FirstLine(const std::string& text) {
  return text.substr(0, text.find_first_of("\r\n"));
}

} // namespace

bool TAnnouncementThrottle::Admit(TimePoint now, const std::string& text) {
  Forget(now);
  if (!folded_ && shown_.size() < static_cast<std::size_t>(kBurst)) {
    shown_.push_back(now);
    return true;
  }
  if (!folded_)
    folded_.emplace();
  ++folded_->Count;
  if (folded_->FirstLines.size() < kListedLines)
    folded_->FirstLines.push_back(FirstLine(text));
  return false;
}

std::optional<TAnnouncementThrottle::TimePoint> TAnnouncementThrottle::FoldedDue() const {
  if (!folded_)
    return std::nullopt;
  // The burst is full whenever something is held: room comes when the
  // oldest one of the window leaves it.
  return shown_.size() < static_cast<std::size_t>(kBurst) ? TimePoint{} : shown_.front() + kWindow;
}

std::optional<TAnnouncementThrottle::TFolded> TAnnouncementThrottle::TakeFolded(TimePoint now) {
  const std::optional<TimePoint> due = FoldedDue();
  if (!due || now < *due)
    return std::nullopt;
  Forget(now);
  shown_.push_back(now);
  return std::exchange(folded_, std::nullopt);
}

void TAnnouncementThrottle::Forget(TimePoint now) {
  while (!shown_.empty() && shown_.front() + kWindow <= now)
    shown_.pop_front();
}
