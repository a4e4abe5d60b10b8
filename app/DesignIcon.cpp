#include "app/DesignIcon.h"

#include <QPainter>
#include <QPixmap>
#include <QRadialGradient>

namespace {

// A crosshair on a dark disc, drawn on a 16-pixel grid at each size so it
// stays crisp on any screen.
QPixmap DrawAt(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(size / 16.0, size / 16.0);
  QRadialGradient disc(QPointF(8, 6), 10);
  disc.setColorAt(0, QColor(0x2f, 0x5f, 0x80));
  disc.setColorAt(1, QColor(0x10, 0x24, 0x34));
  painter.setPen(QPen(QColor(0x0a, 0x18, 0x24), 1));
  painter.setBrush(disc);
  painter.drawEllipse(QRectF(0.5, 0.5, 15, 15));
  const QColor sight(0x8b, 0xe0, 0x5a);
  painter.setPen(QPen(sight, 1.5));
  painter.setBrush(Qt::NoBrush);
  painter.drawEllipse(QPointF(8, 8), 4.5, 4.5);
  // The ticks sit on whole pixels, sharp at 16 pixels.
  painter.setPen(Qt::NoPen);
  painter.setBrush(sight);
  for (const QRectF& tick :
       {QRectF(7, 2, 2, 4), QRectF(7, 10, 2, 4), QRectF(2, 7, 4, 2), QRectF(10, 7, 4, 2)})
    painter.drawRect(tick);
  return pixmap;
}

} // namespace

QIcon DesignIcon(int largest) {
  QIcon icon;
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
    if (size <= largest)
      icon.addPixmap(DrawAt(size));
  return icon;
}
