#include "tray/DesktopNotifier.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QStringList>
#include <QVariantMap>

#include <utility>

#include "config/MsgINISupp.h"

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
constexpr int32_t kExpireMs = 10000; // as long as a balloon

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
  if (!bus_.isConnected())
    return;
  bus_.connect(QString(), kPath, kInterface, QStringLiteral("ActionInvoked"), this,
               SLOT(OnActionInvoked(uint, QString)));
  bus_.connect(QString(), kPath, kInterface, QStringLiteral("NotificationClosed"), this,
               SLOT(OnNotificationClosed(uint, uint)));
  auto* watcher =
      new QDBusServiceWatcher(kService, bus_, QDBusServiceWatcher::WatchForOwnerChange, this);
  connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
          &TDesktopNotifier::OnOwnerChanged);
}

bool TDesktopNotifier::Available() const {
  const QDBusConnectionInterface* daemon = bus_.isConnected() ? bus_.interface() : nullptr;
  return daemon && daemon->isServiceRegistered(kService).value();
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
}

void TDesktopNotifier::CapabilitiesArrived(QDBusPendingCallWatcher* watcher) {
  const QDBusPendingReply<QStringList> reply = *watcher;
  watcher->deleteLater();
  // When the service does not say, escaping is the safe side: at worst an
  // entity shows as text.
  markup_ = reply.isError() || reply.value().contains(QStringLiteral("body-markup"));
  capabilities_ = TCapabilities::Known;
  for (TPending& pending : std::exchange(waiting_, {}))
    Send(std::move(pending));
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
  connect(watcher, &QDBusPendingCallWatcher::finished, this,
          [this, replaced, pending = std::move(pending)](QDBusPendingCallWatcher* finished) {
            const QDBusPendingReply<uint> reply = *finished;
            finished->deleteLater();
            if (reply.isError()) {
              if (pending.Failed)
                pending.Failed();
              return;
            }
            open_.erase(replaced);
            open_[reply.value()] = pending.Server;
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

void TDesktopNotifier::OnActionInvoked(uint id, const QString& action) {
  const auto it = open_.find(id);
  if (it == open_.end())
    return; // another program's
  const std::optional<TAddressKey> server = it->second;
  onAction_(action, server);
}

void TDesktopNotifier::OnNotificationClosed(uint id, uint) {
  open_.erase(id);
}

void TDesktopNotifier::OnOwnerChanged() {
  // Another service knows other ids and may read other markup.
  open_.clear();
  if (capabilities_ == TCapabilities::Known)
    capabilities_ = TCapabilities::Unknown;
}
