#include "tray/Announcer.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "config/MsgINISupp.h"
#include "platform/ServerText.h"
#include "tray/TrayIcons.h"
#include "util/display_text.h"
#include "util/placeholders.h"

namespace {

// Announcements end their lines CR LF, as balloons did; the desktop's are LF.
QString DesktopText(const std::string& bytes) {
  QString text = ServerText(bytes);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return text;
}

// The language's text and the announcements each decoded on its own: one
// Windows-1252 announcement must not turn the whole into mojibake.
std::string FoldedText(const TAnnouncementThrottle::TFolded& folded) {
  std::string text =
      FillPlaceholders(Lookup("NotifyMore", "… and %1 more"), {std::to_string(folded.Count)});
  for (const std::string& line : folded.FirstLines)
    text += "\r\n" + ToUtf8(line);
  return text;
}

} // namespace

TAnnouncer::TAnnouncer(QDBusConnection bus, THooks hooks, QObject* parent)
    : QObject(parent), hooks_(std::move(hooks)), notifier_(std::move(bus), hooks_.Action, this) {
  foldTimer_.setSingleShot(true);
  foldTimer_.setTimerType(Qt::PreciseTimer);
  connect(&foldTimer_, &QTimer::timeout, this, &TAnnouncer::ShowFolded);
}

void TAnnouncer::Announce(const TAddressKey& server, int32_t icon, const std::string& title,
                          const std::string& text) {
  if (throttle_.Admit(hooks_.Now(), text)) {
    Deliver(server, icon, title, text);
    return;
  }
  if (!firstHeld_)
    firstHeld_ = THeld{server, icon, title, text};
  ArmFoldTimer();
}

void TAnnouncer::ShowFolded() {
  const std::optional<TAnnouncementThrottle::TFolded> folded = throttle_.TakeFolded(hooks_.Now());
  if (!folded) {
    ArmFoldTimer(); // early, or nothing held
    return;
  }
  const std::optional<THeld> held = std::exchange(firstHeld_, std::nullopt);
  if (!hooks_.Enabled())
    return;
  // "and 1 more" would only hide what it stands for, and its Join.
  if (folded->Count == 1 && held)
    Deliver(held->Server, held->Icon, held->Title, held->Text);
  else
    Deliver(std::nullopt, ITrayIcons::kCommonIcon, "Skarvel", FoldedText(*folded));
}

void TAnnouncer::Deliver(const std::optional<TAddressKey>& server, int32_t icon,
                         const std::string& title, const std::string& text) {
  if (!notifier_.Available()) {
    hooks_.Balloon(icon, title, text);
    return;
  }
  notifier_.Notify(server, ServerText(title), DesktopText(text),
                   [this, icon, title, text] { hooks_.Balloon(icon, title, text); });
}

void TAnnouncer::ArmFoldTimer() {
  const std::optional<TimePoint> due = throttle_.FoldedDue();
  if (!due || foldTimer_.isActive())
    return;
  const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*due - hooks_.Now());
  foldTimer_.start(std::max<std::chrono::milliseconds>(wait, std::chrono::milliseconds{0}));
}
