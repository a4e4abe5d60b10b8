#include "tray/TrayIconList.h"

#include <QMenu>
#include <QSystemTrayIcon>

TTrayIconList::TTrayIconList(QObject& owner, QMenu& menu) : owner_(owner), menu_(menu) {
}

TTrayIconList::~TTrayIconList() {
  // Last made, first gone.
  while (!icons_.empty()) {
    delete icons_.back().Icon;
    icons_.pop_back();
  }
}

int32_t TTrayIconList::Acquire(const TServer& server, std::function<void(int32_t)> onClick) {
  std::size_t index = 0;
  while (index < icons_.size() && icons_[index].InUse)
    ++index;
  if (index == icons_.size()) {
    auto* icon = new QSystemTrayIcon(&owner_);
    icon->setObjectName(QStringLiteral("TrayIcon%1").arg(index));
    icon->setContextMenu(&menu_);
    QObject::connect(icon, &QSystemTrayIcon::activated, icon,
                     [this, index](QSystemTrayIcon::ActivationReason reason) {
                       if (reason == QSystemTrayIcon::Trigger && icons_[index].OnClick)
                         icons_[index].OnClick(static_cast<int32_t>(index));
                     });
    icons_.push_back({icon, false, nullptr, {}});
  }
  TPooledIcon& pooled = icons_[index];
  pooled.InUse = true;
  pooled.Server = &server;
  pooled.OnClick = std::move(onClick);
  return static_cast<int32_t>(index);
}

void TTrayIconList::Release(int32_t index) {
  if (index < 0 || index >= Count())
    throw ETrayIconNotFound();
  TPooledIcon& pooled = icons_[static_cast<std::size_t>(index)];
  pooled.Icon->hide();
  pooled.InUse = false;
  pooled.Server = nullptr;
  pooled.OnClick = nullptr;
}

bool TTrayIconList::InUse(int32_t index) const {
  return index >= 0 && index < Count() && icons_[static_cast<std::size_t>(index)].InUse;
}

QSystemTrayIcon* TTrayIconList::Icon(int32_t index) const {
  if (index < 0 || index >= Count())
    return nullptr;
  return icons_[static_cast<std::size_t>(index)].Icon;
}

const TServer* TTrayIconList::Server(int32_t index) const {
  if (index < 0 || index >= Count())
    return nullptr;
  return icons_[static_cast<std::size_t>(index)].Server;
}
