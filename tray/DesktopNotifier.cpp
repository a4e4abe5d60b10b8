#include "tray/DesktopNotifier.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QStringList>
#include <QVariantMap>

#include <memory>
#include <utility>

#include "config/MsgINISupp.h"

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
constexpr int32_t kExpireMs = 10000; // as long as a balloon

const QString kBus = QStringLiteral("org.freedesktop.DBus");

QDBusMessage Call(const QString& method) {
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
  call.setAutoStartService(false);
  return call;
}

// Server texts may hold anything; a service that reads markup must see them
// as text.
QString EscapeMarkup(QString text) {
  text.replace(QLatin1Char('&'), QStringLiteral("&amp;"));
  text.replace(QLatin1Char('<'), QStringLiteral("&lt;"));
  text.replace(QLatin1Char('>'), QStringLiteral("&gt;"));
  return text;
}

} // namespace

TDesktopNotifier::TDesktopNotifier(QDBusConnection bus, ActionHandler onAction, QObject* parent)
    : QObject(parent), bus_(std::move(bus)), onAction_(std::move(onAction)) {
  capabilitiesBound_.setSingleShot(true);
  connect(&capabilitiesBound_, &QTimer::timeout, this, &TDesktopNotifier::CapabilitiesTooLate);
  if (!bus_.isConnected()) {
    owner_ = QString();
    return;
  }
  // Any sender's signals arrive here; FromOwner sorts them.
  bus_.connect(QString(), kPath, kInterface, QStringLiteral("ActionInvoked"), this,
               SLOT(OnActionInvoked(QDBusMessage)));
  bus_.connect(QString(), kPath, kInterface, QStringLiteral("NotificationClosed"), this,
               SLOT(OnNotificationClosed(QDBusMessage)));
  auto* watcher =
      new QDBusServiceWatcher(kService, bus_, QDBusServiceWatcher::WatchForOwnerChange, this);
  connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
          &TDesktopNotifier::OnOwnerChanged);
  AskOwner();
}

bool TDesktopNotifier::Available() const {
  return !owner_ || !owner_->isEmpty();
}

void TDesktopNotifier::AskOwner() {
  // Asked after the watcher is in place: a change the answer misses comes as
  // a signal after it.
  QDBusMessage call = QDBusMessage::createMethodCall(kBus, QStringLiteral("/org/freedesktop/DBus"),
                                                     kBus, QStringLiteral("GetNameOwner"));
  call << kService;
  auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
  connect(
      watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* finished) {
        const QDBusPendingReply<QString> reply = *finished;
        finished->deleteLater();
        if (!reply.isError())
          owner_ = reply.value();
        else if (reply.error().name() == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner"))
          owner_ = QString();
        // Else the bus did not answer: the service is tried, and its first
        // answer tells who it is.
      });
}

void TDesktopNotifier::Notify(const std::optional<TAddressKey>& server, const QString& title,
                              const QString& body, std::function<void()> failed) {
  TPending pending{server, title, body, std::move(failed)};
  if (capabilities_ == TCapabilities::Known) {
    Send(std::move(pending));
    return;
  }
  // Whether the body is read as markup decides how it is sent.
  waiting_.push_back(std::move(pending));
  if (capabilities_ == TCapabilities::Unknown)
    AskCapabilities();
}

void TDesktopNotifier::AskCapabilities() {
  capabilities_ = TCapabilities::Asked;
  auto* watcher =
      new QDBusPendingCallWatcher(bus_.asyncCall(Call(QStringLiteral("GetCapabilities"))), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this,
          &TDesktopNotifier::CapabilitiesArrived);
  capabilitiesBound_.start(replyBound_);
}

void TDesktopNotifier::CapabilitiesArrived(QDBusPendingCallWatcher* watcher) {
  const QDBusPendingReply<QStringList> reply = *watcher;
  watcher->deleteLater();
  capabilitiesBound_.stop();
  // When the service does not say, escaping is the safe side: at worst an
  // entity shows as text.
  markup_ = reply.isError() || reply.value().contains(QStringLiteral("body-markup"));
  capabilities_ = TCapabilities::Known;
  for (TPending& pending : std::exchange(waiting_, {}))
    Send(std::move(pending));
}

void TDesktopNotifier::CapabilitiesTooLate() {
  // A service this slow would not show them sooner; the next notification
  // asks again.
  capabilities_ = TCapabilities::Unknown;
  for (TPending& pending : std::exchange(waiting_, {}))
    if (pending.Failed)
      pending.Failed();
}

void TDesktopNotifier::Send(TPending pending) {
  QStringList actions;
  if (pending.Server)
    actions << QStringLiteral("join") << QString::fromStdString(Lookup("NotifyJoin", "Join"));
  actions << QStringLiteral("show") << QString::fromStdString(Lookup("NotifyShow", "Show"));
  const uint32_t replaced = Replaced(pending.Server);
  QDBusMessage call = Call(QStringLiteral("Notify"));
  call << QStringLiteral("Skarvel") << replaced << QStringLiteral("skarvel") << pending.Title
       << (markup_ ? EscapeMarkup(pending.Body) : pending.Body) << actions
       << QVariantMap{{QStringLiteral("desktop-entry"), QStringLiteral("skarvel")}} << kExpireMs;
  auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
  // The answer and the bound share the fallback: whichever comes first
  // decides, so an announcement shows once.
  auto failed = std::make_shared<std::function<void()>>(std::move(pending.Failed));
  auto fail = [failed] {
    if (const std::function<void()> run = std::exchange(*failed, nullptr))
      run();
  };
  auto* bound = new QTimer(watcher);
  bound->setSingleShot(true);
  connect(bound, &QTimer::timeout, this, fail);
  bound->start(replyBound_);
  connect(
      watcher, &QDBusPendingCallWatcher::finished, this,
      [this, replaced, server = pending.Server, fail, bound](QDBusPendingCallWatcher* finished) {
        const QDBusPendingReply<uint> reply = *finished;
        finished->deleteLater();
        if (reply.isError()) {
          fail();
          return;
        }
        if (!bound->isActive()) {
          CloseLate(reply.value()); // its balloon has shown
          return;
        }
        bound->stop();
        if (!owner_)
          owner_ = finished->reply().service();
        open_.erase(replaced);
        open_[reply.value()] = server;
      });
}

uint32_t TDesktopNotifier::Replaced(const std::optional<TAddressKey>& server) const {
  if (!server)
    return 0;
  for (const auto& [id, shown] : open_)
    if (shown == server)
      return id;
  return 0;
}

void TDesktopNotifier::CloseLate(uint32_t id) {
  QDBusMessage call = Call(QStringLiteral("CloseNotification"));
  call << id;
  bus_.send(call);
}

bool TDesktopNotifier::FromOwner(const QDBusMessage& signal) const {
  return owner_ && !owner_->isEmpty() && signal.service() == *owner_;
}

void TDesktopNotifier::OnActionInvoked(const QDBusMessage& signal) {
  if (!FromOwner(signal) || signal.signature() != QLatin1String("us"))
    return;
  const QList<QVariant> arguments = signal.arguments();
  const auto it = open_.find(arguments.at(0).toUInt());
  if (it == open_.end())
    return; // another program's, closed, or acted on already
  const std::optional<TAddressKey> server = it->second;
  // One action per notification, however often the service repeats it.
  open_.erase(it);
  onAction_(arguments.at(1).toString(), server);
}

void TDesktopNotifier::OnNotificationClosed(const QDBusMessage& signal) {
  if (FromOwner(signal) && signal.signature() == QLatin1String("uu"))
    open_.erase(signal.arguments().at(0).toUInt());
}

void TDesktopNotifier::OnOwnerChanged(const QString&, const QString&, const QString& newOwner) {
  owner_ = newOwner;
  // Another service knows other ids and may read other markup.
  open_.clear();
  if (capabilities_ == TCapabilities::Known)
    capabilities_ = TCapabilities::Unknown;
}
