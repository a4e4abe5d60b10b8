#include "app/DesignIcon.h"

#include <QPainter>
#include <QPixmap>

namespace {

// A crosshair on a dark disc, drawn at each size so it stays crisp on any screen.
QPixmap DrawAt(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const qreal unit = size / 16.0;
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0x1d, 0x3b, 0x53));
  painter.drawEllipse(QRectF(0.5 * unit, 0.5 * unit, 15 * unit, 15 * unit));
  QPen ring(QColor(0x7f, 0xd3, 0x4e), 1.6 * unit);
  painter.setPen(ring);
  painter.setBrush(Qt::NoBrush);
  painter.drawEllipse(QRectF(4 * unit, 4 * unit, 8 * unit, 8 * unit));
  painter.drawLine(QPointF(8 * unit, 1.5 * unit), QPointF(8 * unit, 5.5 * unit));
  painter.drawLine(QPointF(8 * unit, 10.5 * unit), QPointF(8 * unit, 14.5 * unit));
  painter.drawLine(QPointF(1.5 * unit, 8 * unit), QPointF(5.5 * unit, 8 * unit));
  painter.drawLine(QPointF(10.5 * unit, 8 * unit), QPointF(14.5 * unit, 8 * unit));
  return pixmap;
}

} // namespace

QIcon DesignIcon() {
  QIcon icon;
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
    icon.addPixmap(DrawAt(size));
  return icon;
}
