#include <QIcon>
#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

#include <climits>

#include "tray/CounterIcon.h"
#include "tray/TrayArt.h"

namespace {

const QRgb kPureRed = qRgb(255, 0, 0);

bool AllPixelsAre(const QImage& image, const QRect& area, QRgb colour) {
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if (image.pixel(x, y) != colour)
        return false;
  return true;
}

TEST(CounterBitmapTest, OneDigitSitsInTheMiddle) {
  const QImage bitmap = CounterBitmap(7, 1);
  ASSERT_EQ(bitmap.size(), QSize(16, 16));
  EXPECT_EQ(bitmap.format(), QImage::Format_ARGB32);
  EXPECT_TRUE(AllPixelsAre(bitmap, QRect(0, 0, 4, 16), kPureRed));
  EXPECT_TRUE(AllPixelsAre(bitmap, QRect(12, 0, 4, 16), kPureRed));
  EXPECT_EQ(bitmap.copy(4, 0, 8, 16), DigitGlyph(7, 1));
}

TEST(CounterBitmapTest, TwoDigitsSitSideBySide) {
  for (int number : {10, 42, 99}) {
    for (int scale : {1, 2, 3}) {
      const QImage bitmap = CounterBitmap(number, scale);
      ASSERT_EQ(bitmap.size(), QSize(16 * scale, 16 * scale));
      EXPECT_EQ(bitmap.copy(0, 0, 8 * scale, 16 * scale), DigitGlyph(number / 10, scale))
          << number << " at " << scale;
      EXPECT_EQ(bitmap.copy(8 * scale, 0, 8 * scale, 16 * scale), DigitGlyph(number % 10, scale))
          << number << " at " << scale;
    }
  }
}

TEST(CounterBitmapTest, LargerScaleCentresOneDigitToo) {
  const QImage bitmap = CounterBitmap(3, 2);
  ASSERT_EQ(bitmap.size(), QSize(32, 32));
  EXPECT_TRUE(AllPixelsAre(bitmap, QRect(0, 0, 8, 32), kPureRed));
  EXPECT_TRUE(AllPixelsAre(bitmap, QRect(24, 0, 8, 32), kPureRed));
  EXPECT_EQ(bitmap.copy(8, 0, 16, 32), DigitGlyph(3, 2));
}

TEST(CounterBitmapTest, NumbersAreClampedToTwoDigits) {
  const struct {
    int number;
    int shown;
  } cases[] = {{-5, 0}, {-1, 0}, {100, 99}, {120, 99}, {INT_MIN, 0}, {INT_MAX, 99}};
  for (const auto& c : cases)
    EXPECT_EQ(CounterBitmap(c.number, 1), CounterBitmap(c.shown, 1)) << c.number;
}

TEST(CounterBitmapTest, NoScaleBelowOne) {
  EXPECT_TRUE(CounterBitmap(5, 0).isNull());
  EXPECT_TRUE(CounterBitmap(5, -1).isNull());
}

TEST(WithTransparentKeyTest, RedBackgroundGoesDigitsStay) {
  const QImage bitmap = CounterBitmap(7, 1);
  const QImage keyed = WithTransparentKey(bitmap);
  ASSERT_EQ(keyed.size(), bitmap.size());
  EXPECT_TRUE(AllPixelsAre(keyed, QRect(0, 0, 4, 16), qRgba(0, 0, 0, 0)));
  EXPECT_TRUE(AllPixelsAre(keyed, QRect(12, 0, 4, 16), qRgba(0, 0, 0, 0)));
  const QImage glyph = DigitGlyph(7, 1);
  int kept = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 8; ++x) {
      const QRgb source = glyph.pixel(x, y);
      const QRgb shown = keyed.pixel(4 + x, y);
      if (source == kPureRed) {
        EXPECT_EQ(qAlpha(shown), 0) << x << "," << y;
      } else {
        EXPECT_EQ(shown, source) << x << "," << y;
        ++kept;
      }
    }
  EXPECT_GT(kept, 20);
}

TEST(WithTransparentKeyTest, KeysWhateverColourTheBottomLeftPixelHas) {
  const QRgb blue = qRgb(0, 0, 255);
  QImage bitmap(4, 3, QImage::Format_RGB32);
  bitmap.fill(blue);
  bitmap.setPixel(1, 1, kPureRed);
  bitmap.setPixel(2, 0, qRgb(0, 0, 254));
  const QImage keyed = WithTransparentKey(bitmap);
  ASSERT_EQ(keyed.format(), QImage::Format_ARGB32);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) {
      const QRgb expected = x == 1 && y == 1   ? kPureRed
                            : x == 2 && y == 0 ? qRgb(0, 0, 254)
                                               : qRgba(0, 0, 0, 0);
      EXPECT_EQ(keyed.pixel(x, y), expected) << x << "," << y;
    }
}

TEST(WithTransparentKeyTest, NothingComesOfNothing) {
  EXPECT_TRUE(WithTransparentKey(QImage()).isNull());
  EXPECT_TRUE(WithTransparentKey(QImage(0, 5, QImage::Format_ARGB32)).isNull());
}

TEST(CounterIconTest, HoldsTheKeyedCounterAtThreeSizes) {
  for (int number : {0, 7, 42, 99}) {
    const std::optional<QIcon> icon = CounterIcon(number);
    ASSERT_TRUE(icon.has_value()) << number;
    for (int scale : {1, 2, 3}) {
      const int size = 16 * scale;
      ASSERT_TRUE(icon->availableSizes().contains(QSize(size, size))) << number;
      const QImage shown =
          icon->pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
      EXPECT_EQ(shown, WithTransparentKey(CounterBitmap(number, scale))) << number << " " << size;
    }
  }
}

TEST(CounterIconTest, OutOfRangeNumbersShowTheirClampedValue) {
  const std::optional<QIcon> icon = CounterIcon(250);
  ASSERT_TRUE(icon.has_value());
  EXPECT_EQ(icon->pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32),
            WithTransparentKey(CounterBitmap(99, 1)));
}

} // namespace
