#include "app/GameTypeArt.h"

#include <QFont>
#include <QPainter>
#include <QPixmap>

namespace {

struct Badge {
  const char* letters;
  QColor colour;
};

// A rounded badge in the game's colour with its short letters; drawn at every
// size so it stays crisp on any screen.
const Badge kBadges[kGameTypeImageCount] = {
    {"?", QColor(0x6b, 0x72, 0x80)},  {"UT", QColor(0xb9, 0x1c, 0x1c)},
    {"Q2", QColor(0x78, 0x5a, 0x2e)}, {"Q3", QColor(0xc2, 0x41, 0x0c)},
    {"CS", QColor(0x3f, 0x62, 0x12)}, {"U4", QColor(0x1d, 0x4e, 0xd8)},
    {"S", QColor(0x0f, 0x76, 0x6e)},
};

QPixmap Draw(const Badge& badge, int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(badge.colour);
  const qreal radius = size * 0.2;
  painter.drawRoundedRect(QRectF(0, 0, size, size), radius, radius);
  QFont font;
  font.setBold(true);
  font.setPixelSize(qMax(6, static_cast<int>(size * (qstrlen(badge.letters) > 1 ? 0.5 : 0.7))));
  painter.setFont(font);
  painter.setPen(Qt::white);
  painter.drawText(QRect(0, 0, size, size), Qt::AlignCenter, QString::fromLatin1(badge.letters));
  return pixmap;
}

} // namespace

QIcon GameTypeImage(int index) {
  QIcon icon;
  if (index < 0 || index >= kGameTypeImageCount)
    return icon;
  for (int size : {16, 24, 32, 48, 64})
    icon.addPixmap(Draw(kBadges[index], size));
  return icon;
}
