#include "tray/CounterIcon.h"

#include <QPainter>
#include <QPixmap>

#include <algorithm>

#include "tray/TrayArt.h"

QImage CounterBitmap(int number, int scale) {
  const int shown = std::clamp(number, 0, 99);
  const QImage tens = DigitGlyph(shown / 10, scale);
  const QImage units = DigitGlyph(shown % 10, scale);
  if (units.isNull())
    return {};
  QImage bitmap(16 * scale, 16 * scale, QImage::Format_ARGB32);
  if (bitmap.isNull())
    return bitmap;
  bitmap.fill(QColor(255, 0, 0));
  QPainter painter(&bitmap);
  if (shown < 10) {
    painter.drawImage(4 * scale, 0, units);
  } else {
    painter.drawImage(0, 0, tens);
    painter.drawImage(8 * scale, 0, units);
  }
  return bitmap;
}

QImage WithTransparentKey(const QImage& bitmap) {
  QImage keyed = bitmap.convertToFormat(QImage::Format_ARGB32);
  if (keyed.isNull())
    return keyed;
  const QRgb key = keyed.pixel(0, keyed.height() - 1);
  for (int y = 0; y < keyed.height(); ++y) {
    QRgb* line = reinterpret_cast<QRgb*>(keyed.scanLine(y));
    for (int x = 0; x < keyed.width(); ++x)
      if (line[x] == key)
        line[x] = qRgba(0, 0, 0, 0);
  }
  return keyed;
}

namespace {

// The 16-pixel counter in the middle of a larger transparent square: trays of
// 20 to 24 pixels would otherwise blur it by scaling.
QImage Centred(const QImage& counter, int size) {
  QImage padded(size, size, QImage::Format_ARGB32);
  padded.fill(Qt::transparent);
  QPainter painter(&padded);
  painter.drawImage((size - counter.width()) / 2, (size - counter.height()) / 2, counter);
  return padded;
}

} // namespace

std::optional<QIcon> CounterIcon(int number) {
  QIcon icon;
  for (int scale = 1; scale <= 3; ++scale) {
    const QImage keyed = WithTransparentKey(CounterBitmap(number, scale));
    if (keyed.isNull())
      return std::nullopt;
    icon.addPixmap(QPixmap::fromImage(keyed));
    if (scale == 1)
      for (int size : {20, 22, 24})
        icon.addPixmap(QPixmap::fromImage(Centred(keyed, size)));
  }
  return icon;
}
