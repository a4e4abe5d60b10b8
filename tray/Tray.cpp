#include "tray/Tray.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QWidget>

#include <algorithm>
#include <chrono>

#include "config/MsgINISupp.h"
#include "dialogs/LngINISupp.h"
#include "model/server.h"
#include "platform/ServerText.h"
#include "tray/CounterIcon.h"
#include "tray/TrayArt.h"
#include "tray/TrayState.h"

namespace {

// The balloon's own line ends are CR LF; the desktop's are LF.
QString BalloonText(const std::string& bytes, int limit) {
  QString text = ServerText(bytes);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return text.left(limit);
}

constexpr int32_t kCounterImage = 100; // commonImage_ of a drawn counter: 100 + n

} // namespace

TTray::TTray(QWidget& window, const TServerList& servers, TTrayWindow hooks)
    : QObject(&window), servers_(servers), window_(std::move(hooks)) {
  setObjectName(QStringLiteral("Tray"));
  pmTray = new QMenu(&window);
  pmTray->setObjectName(QStringLiteral("pmTray"));
  TLngINISupp::Exclude(pmTray);
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    QAction* entry = pmTray->addAction(QString());
    entry->setObjectName(QStringLiteral("N%11").arg(i + 1));
    TLngINISupp::Exclude(entry); // a server's caption, set at run time
    entry->setVisible(false);
    connect(entry, &QAction::triggered, this, [this, i] { NClick(static_cast<int32_t>(i)); });
    entries_[i] = entry;
  }
  // Where buddies play, below the servers; shown only while any does.
  buddySeparator_ = pmTray->addSeparator();
  buddySeparator_->setVisible(false);
  for (std::size_t i = 0; i < buddyEntries_.size(); ++i) {
    QAction* entry = pmTray->addAction(QString());
    entry->setObjectName(QStringLiteral("B%11").arg(i + 1));
    TLngINISupp::Exclude(entry); // a player's name and a server's, set at run time
    entry->setVisible(false);
    connect(entry, &QAction::triggered, this, [this, i] { BuddyClick(static_cast<int32_t>(i)); });
    buddyEntries_[i] = entry;
  }
  pmTray->addSeparator();
  QAction* mnAbout = pmTray->addAction(QStringLiteral("&About..."));
  mnAbout->setObjectName(QStringLiteral("mnAbout"));
  QAction* mnExit = pmTray->addAction(QStringLiteral("&Exit"));
  mnExit->setObjectName(QStringLiteral("mnExit"));
  connect(mnAbout, &QAction::triggered, this, [this] { window_.About(); });
  connect(mnExit, &QAction::triggered, this, [this] { window_.Exit(); });

  pool_ = std::make_unique<TTrayIconList>(window, *pmTray);

  TAnnouncer::THooks announce;
  announce.Balloon = [this](int32_t icon, const std::string& title, const std::string& text) {
    BalloonAt(icon, title, text);
  };
  announce.Action = [this](const QString& action, const std::optional<TAddressKey>& server) {
    NotificationAction(action, server);
  };
  announce.Enabled = [this] { return window_.PopupMessages(); };
  announce.Now = [] { return std::chrono::steady_clock::now(); };
  announcer_ = new TAnnouncer(QDBusConnection::sessionBus(), std::move(announce), this);

  ti = new QSystemTrayIcon(window.windowIcon(), &window);
  ti->setObjectName(QStringLiteral("ti"));
  ti->setContextMenu(pmTray);
  ti->setToolTip(QString::fromStdString(Lookup("NoServers", "No servers")));
  connect(ti, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::Trigger)
      tiClick();
  });
  ti->show();
}

TTray::~TTray() = default;

void TTray::Touch(const TServer& server) {
  touched_.insert(&server);
}

void TTray::Forget(const TServer& server) {
  touched_.erase(&server);
  for (std::size_t i = 0; i < entryServers_.size(); ++i)
    if (entryServers_[i] == &server)
      entryServers_[i] = nullptr;
  for (std::size_t i = 0; i < buddyServers_.size(); ++i)
    if (buddyServers_[i] == &server)
      buddyServers_[i] = nullptr;
  if (shown_.erase(&server) > 0)
    stale_ = true;
}

void TTray::Invalidate() {
  stale_ = true;
  ownShown_.clear(); // the settings may have changed what an index shows
}

TTray::TSignature TTray::SignatureOf(const TServer& server) {
  return {server.TrayMode, server.PlayerCount(),
          server.DisplayName() + '\0' + server.Info[SKARVEL_INFO_NAME] + '\0' +
              server.Info[SKARVEL_INFO_MAP],
          BuddiesOn(server)};
}

bool TTray::Listed(const TServer& server) const {
  return server.Online && servers_.Holds(server);
}

bool TTray::AnyTouchedChanged() const {
  for (const TServer* server : touched_) {
    const auto it = shown_.find(server);
    if (!Listed(*server)) {
      if (it != shown_.end())
        return true;
      continue;
    }
    if (it == shown_.end() || !(it->second == SignatureOf(*server)))
      return true;
  }
  return false;
}

void TTray::RefreshTray() {
  if (!stale_ && !AnyTouchedChanged()) {
    touched_.clear();
    return;
  }
  Recompute();
}

void TTray::Recompute() {
  if (stale_) {
    shown_.clear();
    for (int32_t i = 0; i < servers_.Count(); ++i)
      if (const TServer& server = servers_.Items(i); server.Online)
        shown_[&server] = SignatureOf(server);
  } else {
    for (const TServer* server : touched_) {
      if (Listed(*server))
        shown_[server] = SignatureOf(*server);
      else
        shown_.erase(server);
    }
  }
  touched_.clear();
  stale_ = false;

  const TTrayState state = ComputeTrayState(servers_, window_.Digits());
  switch (state.Common) {
  case TTrayState::TCommonIcon::Hidden:
    ti->hide();
    break;
  case TTrayState::TCommonIcon::StateImage:
    SetTrayState(state.StateImage);
    break;
  case TTrayState::TCommonIcon::Counter:
    DrawCounterIcon(state.Counter);
    break;
  }

  ShowEntries(state.Entries, entries_, entryServers_);
  ShowEntries(state.BuddyEntries, buddyEntries_, buddyServers_);
  if (buddySeparator_->isVisible() != !state.BuddyEntries.empty())
    buddySeparator_->setVisible(!state.BuddyEntries.empty());

  QStringList lines;
  for (const std::string& line : state.HintLines)
    lines << ServerText(line);
  const QString hint = lines.isEmpty() ? QString::fromStdString(Lookup("NoServers", "No servers"))
                                       : lines.join(QLatin1Char('\n'));
  if (ti->toolTip() != hint)
    ti->setToolTip(hint);
}

void TTray::ShowEntries(const std::vector<TTrayState::TEntry>& shown,
                        std::array<QAction*, 16>& entries,
                        std::array<const TServer*, 16>& servers) {
  // Unchanged entries are not touched, so an open menu does not flicker.
  for (std::size_t i = 0; i < entries.size(); ++i) {
    QAction* entry = entries[i];
    if (i < shown.size()) {
      const QString caption = ServerText(shown[i].Caption);
      if (entry->text() != caption)
        entry->setText(caption);
      servers[i] = shown[i].Server;
      if (!entry->isVisible())
        entry->setVisible(true);
    } else {
      servers[i] = nullptr;
      if (entry->isVisible())
        entry->setVisible(false);
    }
  }
}

void TTray::SetTrayState(int32_t image) {
  if (commonImage_ != image) {
    ti->setIcon(TrayStateImage(image));
    commonImage_ = image;
  }
  if (!ti->isVisible())
    ti->show();
}

void TTray::DrawCounterIcon(int32_t number) {
  const int32_t shown = std::clamp(number, 0, 99);
  if (commonImage_ != kCounterImage + shown) {
    // A counter that cannot be drawn leaves the icon as it was.
    const std::optional<QIcon> counter = Counter(shown);
    if (!counter)
      return;
    ti->setIcon(*counter);
    commonImage_ = kCounterImage + shown;
  }
  if (!ti->isVisible())
    ti->show();
}

std::optional<QIcon> TTray::Counter(int32_t number) {
  if (const auto drawn = counters_.find(number); drawn != counters_.end())
    return drawn->second;
  std::optional<QIcon> counter = CounterIcon(number);
  if (counter)
    counters_.emplace(number, *counter);
  return counter;
}

int32_t TTray::AcquireTrayIcon(const TServer& server) {
  return pool_->Acquire(server, [this](int32_t icon) { OwnIconClick(icon); });
}

void TTray::ReleaseTrayIcon(int32_t icon) {
  pool_->Release(icon);
  ownShown_.erase(icon);
}

void TTray::ShowTrayIcon(int32_t icon, const std::string& hint, int32_t playerCount,
                         int32_t imageIndex) {
  QSystemTrayIcon* own = pool_->Icon(icon);
  if (!own)
    return;
  // Every cycle reports every icon: an image is drawn and handed to the tray
  // host only when it changed.
  TOwnIconShown& shown = ownShown_[icon];
  const QString text = ServerText(hint);
  if (shown.Hint != text) {
    own->setToolTip(text);
    shown.Hint = text;
  }
  const TOwnIconShown::TImage image{playerCount > 0,
                                    playerCount > 0 ? std::clamp(playerCount, 0, 99) : imageIndex};
  if (shown.Image != image) {
    if (image.Counter) {
      // A counter that cannot be drawn leaves the icon as it was.
      const std::optional<QIcon> counter = Counter(image.Value);
      if (!counter)
        return;
      own->setIcon(*counter);
    } else {
      own->setIcon(window_.GameImage(imageIndex));
    }
    shown.Image = image;
  }
  if (!own->isVisible())
    own->show();
}

void TTray::HideTrayIcon(int32_t icon) {
  if (QSystemTrayIcon* own = pool_->Icon(icon); own && own->isVisible())
    own->hide();
}

void TTray::ShowBalloon(const TServer& server, int32_t icon, const std::string& title,
                        const std::string& text) {
  if (window_.PopupMessages())
    announcer_->Announce({server.Host, server.Port, server.Id}, icon, title, text);
}

void TTray::BalloonAt(int32_t icon, const std::string& title, const std::string& text) {
  QSystemTrayIcon* at = icon == kCommonIcon ? ti : pool_->Icon(icon);
  if (!at)
    at = ti;
  at->showMessage(BalloonText(title, 63), BalloonText(text, 255), QSystemTrayIcon::NoIcon, 10000);
}

void TTray::tiClick() {
  const TServer* chosen = nullptr;
  const TServer* firstOnline = nullptr;
  for (int32_t i = 0; i < servers_.Count() && !chosen; ++i) {
    const TServer& server = servers_.Items(i);
    if (!server.Online || (server.TrayMode != kTrayCommonIcon && server.TrayMode != kTrayNoIcon))
      continue;
    if (!firstOnline)
      firstOnline = &server;
    if (server.PlayerCount() > 0)
      chosen = &server;
  }
  if (!chosen)
    chosen = firstOnline;
  if (chosen)
    window_.SelectServer(*chosen);
  Toggle(kCommonIcon);
}

void TTray::OwnIconClick(int32_t icon) {
  if (const TServer* server = pool_->Server(icon))
    window_.SelectServer(*server);
  Toggle(icon);
}

void TTray::Toggle(int32_t clicked) {
  // A second click on the same icon hides the window; another icon shows it.
  if (window_.Shown() && clicked == lastTrayTag_)
    window_.Hide();
  else
    window_.Show();
  lastTrayTag_ = clicked;
}

void TTray::NClick(int32_t entry) {
  if (const TServer* server = EntryServer(entry))
    window_.SelectServer(*server);
  window_.Show();
}

void TTray::BuddyClick(int32_t entry) {
  if (const TServer* server = buddyServers_.at(static_cast<std::size_t>(entry)))
    window_.SelectServer(*server);
  window_.Show();
}

void TTray::NotificationAction(const QString& action, const std::optional<TAddressKey>& server) {
  // A click comes in even while a dialog waits for the user (an executable
  // being chosen for Go!, the settings); acting then would stack a second
  // launch or change the list under it. It only brings the dialog up.
  if (QWidget* modal = QApplication::activeModalWidget()) {
    window_.Show();
    modal->raise();
    modal->activateWindow();
    return;
  }
  const TServer* found =
      server ? servers_.Find(server->Host, server->Port, server->GameId) : nullptr;
  if (found && action == QLatin1String("join")) {
    window_.Join(*found);
    return;
  }
  if (found)
    window_.SelectServer(*found);
  window_.Show();
}
