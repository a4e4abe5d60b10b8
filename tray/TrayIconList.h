#pragma once

#include <QObject>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <vector>

class QMenu;
class QSystemTrayIcon;
class TServer;

class ETrayIconNotFound : public std::runtime_error {
public:
  ETrayIconNotFound() : std::runtime_error("TTrayIconList: icon not found") {}
};

// The pool of per-server tray icons. Icons are made on demand and live as
// long as the pool; a released icon is hidden and goes to the next request,
// so a server that takes its own icon does not make a new one each time.
class TTrayIconList {
public:
  // Icons are owned by `owner` (Qt parent) and share `menu` as their popup.
  TTrayIconList(QObject& owner, QMenu& menu);
  ~TTrayIconList();
  TTrayIconList(const TTrayIconList&) = delete;
  TTrayIconList& operator=(const TTrayIconList&) = delete;

  // An icon bound to `server` whose clicks call `onClick` with the icon's
  // index; returns that index.
  int32_t Acquire(const TServer& server, std::function<void(int32_t)> onClick);
  // Hides the icon and frees it for reuse; ETrayIconNotFound when the pool
  // does not hold it.
  void Release(int32_t index);

  int32_t Count() const { return static_cast<int32_t>(icons_.size()); }
  bool InUse(int32_t index) const;
  QSystemTrayIcon* Icon(int32_t index) const;
  // The server the icon is bound to; none once it is released (a server
  // gives its icon back before its record goes).
  const TServer* Server(int32_t index) const;

private:
  struct TPooledIcon {
    QSystemTrayIcon* Icon = nullptr;
    bool InUse = false;
    const TServer* Server = nullptr;
    std::function<void(int32_t)> OnClick;
  };

  QObject& owner_;
  QMenu& menu_;
  std::vector<TPooledIcon> icons_;
};
