#include "tray/TrayArt.h"

#include <QPainter>
#include <QPixmap>
#include <QRadialGradient>

#include <iterator>

namespace {

// A lamp on a 16-pixel grid: a dark rim one pixel wide, the body lit from the
// top left and a small gleam, drawn afresh at every size.
QPixmap DrawLamp(const QColor& colour, int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(size / 16.0, size / 16.0);
  painter.setPen(Qt::NoPen);
  painter.setBrush(colour.darker(250));
  painter.drawEllipse(QRectF(0, 0, 16, 16));
  QRadialGradient body(QPointF(6, 5.5), 10, QPointF(5.5, 5));
  body.setColorAt(0, colour.lighter(150));
  body.setColorAt(0.55, colour);
  body.setColorAt(1, colour.darker(160));
  painter.setBrush(body);
  painter.drawEllipse(QRectF(1, 1, 14, 14));
  painter.setBrush(QColor(255, 255, 255, 190));
  painter.drawEllipse(QRectF(4, 3, 4, 3));
  return pixmap;
}

const QColor kStateColours[] = {QColor(0x9a, 0xa0, 0xa8), QColor(0xf5, 0xc2, 0x1b),
                                QColor(0x2e, 0xc2, 0x4a)};

// The digits 0 to 9 side by side, strokes two pixels wide. The glyph adds a
// one-pixel dark edge around the strokes so they read on light and dark
// panels alike.
constexpr int kStrokeWidth = 6;
constexpr int kStrokeHeight = 14;
const char* const kDigitRows[kStrokeHeight] = {
    ".####. ..##.. .####. .####. ....## ###### .####. ###### .####. .####.",
    "###### .###.. ###### ###### ...### ###### ###### ###### ###### ######",
    "##..## ####.. ##..## ##..## ..#### ##.... ##.... ....## ##..## ##..##",
    "##..## ..##.. ....## ....## .##.## ##.... ##.... ....## ##..## ##..##",
    "##..## ..##.. ....## ....## ##..## ##.... ##.... ...### ##..## ##..##",
    "##..## ..##.. ...### ....## ##..## #####. #####. ...##. .####. ##..##",
    "##..## ..##.. ..###. ..###. ##..## ###### ###### ..###. .####. ##..##",
    "##..## ..##.. .###.. ..###. ##..## ....## ##..## ..##.. ###### ######",
    "##..## ..##.. ###... ....## ###### ....## ##..## ..##.. ##..## .#####",
    "##..## ..##.. ##.... ....## ###### ....## ##..## ..##.. ##..## ....##",
    "##..## ..##.. ##.... ....## ....## ....## ##..## ..##.. ##..## ....##",
    "##..## ..##.. ##.... ##..## ....## ##..## ##..## ..##.. ##..## ##..##",
    "###### ###### ###### ###### ....## ###### ###### ..##.. ###### ######",
    ".####. ###### ###### .####. ....## .####. .####. ..##.. .####. .####.",
};

// Far beyond any screen, and small enough that no size overflows.
constexpr int kMaxScale = 256;

const QRgb kKeyRed = qRgb(255, 0, 0);
const QRgb kStrokeGreen = qRgb(0x3c, 0xf0, 0x3c);
const QRgb kEdgeGreen = qRgb(0x00, 0x50, 0x10);

// The strokes sit one pixel in from every side of the 8 x 16 cell.
bool IsStroke(int digit, int x, int y) {
  const int column = x - 1;
  const int row = y - 1;
  return column >= 0 && column < kStrokeWidth && row >= 0 && row < kStrokeHeight &&
         kDigitRows[row][digit * (kStrokeWidth + 1) + column] == '#';
}

QRgb CellColour(int digit, int x, int y) {
  if (IsStroke(digit, x, y))
    return kStrokeGreen;
  const bool edge = IsStroke(digit, x - 1, y) || IsStroke(digit, x + 1, y) ||
                    IsStroke(digit, x, y - 1) || IsStroke(digit, x, y + 1);
  return edge ? kEdgeGreen : kKeyRed;
}

} // namespace

QIcon TrayStateImage(int state) {
  QIcon icon;
  if (state < 0 || state >= static_cast<int>(std::size(kStateColours)))
    return icon;
  for (int size : {16, 20, 22, 24, 32, 48, 64})
    icon.addPixmap(DrawLamp(kStateColours[state], size));
  return icon;
}

QImage DigitGlyph(int digit, int scale) {
  if (digit < 0 || digit > 9 || scale < 1 || scale > kMaxScale)
    return {};
  QImage glyph(8 * scale, 16 * scale, QImage::Format_ARGB32);
  if (glyph.isNull())
    return glyph;
  for (int y = 0; y < glyph.height(); ++y)
    for (int x = 0; x < glyph.width(); ++x)
      glyph.setPixel(x, y, CellColour(digit, x / scale, y / scale));
  return glyph;
}
