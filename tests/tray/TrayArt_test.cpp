#include <QColor>
#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

#include "tray/TrayArt.h"

namespace {

const QRgb kPureRed = qRgb(255, 0, 0);

bool IsGlyphGreen(QRgb pixel) {
  return qAlpha(pixel) == 255 && qGreen(pixel) > qRed(pixel) && qGreen(pixel) > qBlue(pixel);
}

TEST(DigitGlyphTest, IsAnEightBySixteenCellTimesTheScale) {
  for (int scale : {1, 2, 3}) {
    for (int digit = 0; digit <= 9; ++digit) {
      const QImage glyph = DigitGlyph(digit, scale);
      ASSERT_FALSE(glyph.isNull()) << digit << " at " << scale;
      EXPECT_EQ(glyph.size(), QSize(8 * scale, 16 * scale));
      EXPECT_EQ(glyph.format(), QImage::Format_ARGB32);
    }
  }
}

TEST(DigitGlyphTest, AnythingButADigitAtAPositiveScaleIsNull) {
  const struct {
    int digit;
    int scale;
  } cases[] = {{-1, 1}, {10, 1}, {5, 0}, {5, -2}, {5, 257}, {100, 2}};
  for (const auto& c : cases)
    EXPECT_TRUE(DigitGlyph(c.digit, c.scale).isNull()) << c.digit << " at " << c.scale;
}

TEST(DigitGlyphTest, HoldsOnlyPureRedAndGreen) {
  for (int scale : {1, 2, 3}) {
    for (int digit = 0; digit <= 9; ++digit) {
      const QImage glyph = DigitGlyph(digit, scale);
      int red = 0;
      int green = 0;
      for (int y = 0; y < glyph.height(); ++y) {
        for (int x = 0; x < glyph.width(); ++x) {
          const QRgb pixel = glyph.pixel(x, y);
          if (pixel == kPureRed)
            ++red;
          else if (IsGlyphGreen(pixel))
            ++green;
          else
            ADD_FAILURE() << digit << " at " << scale << ": " << std::hex << pixel << " at " << x
                          << "," << y;
        }
      }
      EXPECT_GT(red, 0) << digit;
      EXPECT_GT(green, 0) << digit;
    }
  }
}

TEST(DigitGlyphTest, BottomLeftIsRedSoTheKeyColourIsAlwaysTheBackground) {
  for (int scale : {1, 2, 3})
    for (int digit = 0; digit <= 9; ++digit) {
      const QImage glyph = DigitGlyph(digit, scale);
      EXPECT_EQ(glyph.pixel(0, glyph.height() - 1), kPureRed) << digit << " at " << scale;
    }
}

TEST(DigitGlyphTest, FillsMostOfTheCell) {
  for (int digit = 0; digit <= 9; ++digit) {
    const QImage glyph = DigitGlyph(digit, 1);
    QRect drawn;
    for (int y = 0; y < glyph.height(); ++y)
      for (int x = 0; x < glyph.width(); ++x)
        if (IsGlyphGreen(glyph.pixel(x, y)))
          drawn |= QRect(x, y, 1, 1);
    EXPECT_GE(drawn.width(), 7) << digit;
    EXPECT_GE(drawn.height(), 15) << digit;
  }
}

TEST(DigitGlyphTest, TenDifferentDigits) {
  for (int a = 0; a <= 9; ++a)
    for (int b = a + 1; b <= 9; ++b)
      EXPECT_NE(DigitGlyph(a, 1), DigitGlyph(b, 1)) << a << " and " << b;
}

TEST(DigitGlyphTest, LargerScalesAreTheSameCrispPixels) {
  for (int scale : {2, 3}) {
    for (int digit = 0; digit <= 9; ++digit) {
      const QImage small = DigitGlyph(digit, 1);
      const QImage large = DigitGlyph(digit, scale);
      for (int y = 0; y < large.height(); ++y)
        for (int x = 0; x < large.width(); ++x)
          ASSERT_EQ(large.pixel(x, y), small.pixel(x / scale, y / scale))
              << digit << " at " << scale << ": " << x << "," << y;
    }
  }
}

QImage StateImage(int state, int size) {
  return TrayStateImage(state).pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
}

TEST(TrayStateImageTest, DrawnAtEveryTraySize) {
  for (int state = 0; state <= 2; ++state) {
    const QIcon icon = TrayStateImage(state);
    ASSERT_FALSE(icon.isNull()) << state;
    for (int size : {16, 22, 24, 32, 48, 64})
      EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size))) << state << " " << size;
  }
}

TEST(TrayStateImageTest, UnknownStatesHaveNoImage) {
  for (int state : {-1, 3, 1000})
    EXPECT_TRUE(TrayStateImage(state).isNull()) << state;
}

TEST(TrayStateImageTest, OneShapeInGreyYellowAndGreen) {
  for (int size : {16, 32}) {
    const QImage grey = StateImage(0, size);
    const QImage yellow = StateImage(1, size);
    const QImage green = StateImage(2, size);
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) {
        ASSERT_EQ(qAlpha(grey.pixel(x, y)), qAlpha(yellow.pixel(x, y))) << size;
        ASSERT_EQ(qAlpha(grey.pixel(x, y)), qAlpha(green.pixel(x, y))) << size;
      }
    // Just below the gleam, where the lamp shows its own colour.
    const QColor greyMiddle = grey.pixelColor(size / 2, size * 5 / 8);
    const QColor yellowMiddle = yellow.pixelColor(size / 2, size * 5 / 8);
    const QColor greenMiddle = green.pixelColor(size / 2, size * 5 / 8);
    EXPECT_LT(greyMiddle.hsvSaturation(), 40);
    EXPECT_GT(yellowMiddle.hsvSaturation(), 150);
    EXPECT_NEAR(yellowMiddle.hsvHue(), 48, 15);
    EXPECT_GT(greenMiddle.hsvSaturation(), 150);
    EXPECT_NEAR(greenMiddle.hsvHue(), 130, 20);
  }
}

} // namespace
