#include "dialogs/ScreenFit.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace {

qint64 Area(const QRect& rect) {
  return rect.isEmpty() ? 0 : static_cast<qint64>(rect.width()) * rect.height();
}

// Moves [start, start + length) inside [low, high) as far as it fits.
int Inside(int start, int length, int low, int high) {
  return std::max(low, std::min(start, high - length));
}

} // namespace

QRect FitToScreens(const QRect& window, const QList<QRect>& available, qsizetype primary) {
  if (available.isEmpty())
    return window;
  qsizetype chosen = primary >= 0 && primary < available.size() ? primary : 0;
  qint64 largest = 0;
  for (qsizetype i = 0; i < available.size(); ++i) {
    const qint64 shared = Area(available[i].intersected(window));
    if (shared > largest) {
      largest = shared;
      chosen = i;
    }
  }
  const QRect& screen = available[chosen];
  const int width = std::min(window.width(), screen.width());
  const int height = std::min(window.height(), screen.height());
  return {Inside(window.left(), width, screen.left(), screen.left() + screen.width()),
          Inside(window.top(), height, screen.top(), screen.top() + screen.height()), width,
          height};
}

QRect FitToScreens(const QRect& window) {
  QList<QRect> available;
  qsizetype primary = 0;
  const QList<QScreen*> screens = QGuiApplication::screens();
  for (QScreen* screen : screens) {
    if (screen == QGuiApplication::primaryScreen())
      primary = available.size();
    available.append(screen->availableGeometry());
  }
  return FitToScreens(window, available, primary);
}
