#include "app/GameTypeArt.h"

#include <QIconEngine>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <cmath>
#include <utility>

namespace {

// Each family of games has its own shape, each game its colour and mark.
enum class Shape { Gamepad, Shield, Disc, Tile };

struct Emblem {
  Shape shape;
  QColor colour;
  QColor markColour;
  int markTop;
};

const Emblem kEmblems[kGameTypeImageCount] = {
    {Shape::Gamepad, QColor(0x8a, 0x96, 0xab), Qt::white, 4},             // a plug-in's game
    {Shape::Shield, QColor(0xc4, 0x22, 0x2b), Qt::white, 3},              // Unreal Tournament
    {Shape::Disc, QColor(0x8c, 0x63, 0x2a), Qt::white, 4},                // Quake 2
    {Shape::Disc, QColor(0xe3, 0x5b, 0x0e), Qt::white, 4},                // Quake 3
    {Shape::Tile, QColor(0x4a, 0x7d, 0x1f), Qt::white, 4},                // Half-Life, CS 1.x
    {Shape::Shield, QColor(0x22, 0x58, 0xcc), Qt::white, 3},              // UT2004
    {Shape::Tile, QColor(0x3b, 0x4c, 0x64), QColor(0xff, 0xab, 0x1f), 4}, // CS: Source
};

// The emblems' marks side by side, in the order above, on the 16-pixel grid:
// upright strokes two pixels wide and level ones one pixel high, so they stay
// sharp at 16 pixels. The gamepad's mark is its cross and buttons.
constexpr int kMarkWidth = 12;
constexpr int kMarkHeight = 8;
constexpr int kMarkLeft = (16 - kMarkWidth) / 2;
const char* const kMarks[kMarkHeight] = {
    "............ ##.##.###### .###...###.. .###..####.. .####..####. .###.....##. .####..####.",
    ".#......#... ##.##...##.. ##.##.##.##. ##.##....##. ##....##.... ##.##...###. ##....##....",
    "###....#.#.. ##.##...##.. ##.##....##. ##.##....##. ##....##.... ##.##..####. ##....##....",
    ".#......#... ##.##...##.. ##.##...##.. ##.##..###.. ##.....###.. ##.##.##.##. ##.....###..",
    "............ ##.##...##.. ##.##..##... ##.##....##. ##.......##. ##.##.#####. ##.......##.",
    "............ ##.##...##.. ##.##.##.... ##.##....##. ##.......##. ##.##....##. ##.......##.",
    "............ .###....##.. .####.#####. .####.####.. .####.####.. .###.....##. .####.####..",
    "............ ............ ...##....... ...##....... ............ ............ ............",
};

// The outlines run through pixel centres, so the one-unit rim covers whole
// pixels at 16 pixels and at every multiple.
QPainterPath Outline(Shape shape) {
  QPainterPath path;
  switch (shape) {
  case Shape::Gamepad: {
    path.addRoundedRect(QRectF(0.5, 3.5, 15, 8), 3.5, 3.5);
    QPainterPath grips;
    grips.addRoundedRect(QRectF(0.5, 6.5, 5, 7), 2.5, 2.5);
    grips.addRoundedRect(QRectF(10.5, 6.5, 5, 7), 2.5, 2.5);
    return path.united(grips);
  }
  case Shape::Shield:
    path.moveTo(0.5, 0.5);
    path.lineTo(15.5, 0.5);
    path.lineTo(15.5, 7.5);
    path.cubicTo(15.5, 11.5, 12, 14, 8, 15.5);
    path.cubicTo(4, 14, 0.5, 11.5, 0.5, 7.5);
    path.closeSubpath();
    return path;
  case Shape::Disc:
    path.addEllipse(QRectF(0.5, 0.5, 15, 15));
    return path;
  case Shape::Tile:
    path.addRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
    return path;
  }
  return path;
}

// A grid square as whole device pixels, so marks are sharp at any size.
QRect GridSquare(int x, int y, int size) {
  const auto edge = [size](int grid) { return static_cast<int>(std::lround(grid * size / 16.0)); };
  return QRect(QPoint(edge(x), edge(y)), QPoint(edge(x + 1) - 1, edge(y + 1) - 1));
}

// The mark with a dark shadow one grid square below it.
void DrawMark(QPainter& painter, int index, int size) {
  const Emblem& emblem = kEmblems[index];
  for (const auto& [colour, drop] :
       {std::pair{emblem.colour.darker(220), 1}, std::pair{emblem.markColour, 0}})
    for (int row = 0; row < kMarkHeight; ++row)
      for (int column = 0; column < kMarkWidth; ++column)
        if (kMarks[row][index * (kMarkWidth + 1) + column] == '#')
          painter.fillRect(GridSquare(kMarkLeft + column, emblem.markTop + row + drop, size),
                           colour);
}

QPixmap Draw(int index, int size) {
  const Emblem& emblem = kEmblems[index];
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.save();
  painter.scale(size / 16.0, size / 16.0);
  QLinearGradient body(0, 0, 0, 16);
  body.setColorAt(0, emblem.colour.lighter(130));
  body.setColorAt(1, emblem.colour.darker(115));
  painter.setBrush(body);
  painter.setPen(QPen(emblem.colour.darker(200), 1));
  painter.drawPath(Outline(emblem.shape));
  painter.restore();
  DrawMark(painter, index, size);
  return pixmap;
}

QIcon DrawEverySize(int index) {
  QIcon icon;
  for (int size : {16, 20, 22, 24, 32, 48, 64})
    icon.addPixmap(Draw(index, size));
  return icon;
}

// Draws the emblem at its first use: a start needs the images of the games
// it shows, not of all of them. Copies of the icon share what is drawn.
class EmblemEngine : public QIconEngine {
public:
  explicit EmblemEngine(int index) : index_(index) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    Drawn().paint(painter, rect, Qt::AlignCenter, mode, state);
  }
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return Drawn().pixmap(size, mode, state);
  }
  QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                       qreal scale) override {
    return Drawn().pixmap(size, scale, mode, state);
  }
  QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return Drawn().actualSize(size, mode, state);
  }
  QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
    return Drawn().availableSizes(mode, state);
  }
  bool isNull() override { return false; }
  QIconEngine* clone() const override { return new EmblemEngine(*this); }

private:
  const QIcon& Drawn() {
    if (drawn_.isNull())
      drawn_ = DrawEverySize(index_);
    return drawn_;
  }

  int index_;
  QIcon drawn_;
};

} // namespace

QIcon GameTypeImage(int index) {
  if (index < 0 || index >= kGameTypeImageCount)
    return {};
  return QIcon(new EmblemEngine(index));
}
