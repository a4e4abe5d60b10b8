#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <gtest/gtest.h>

#include "app/GameImages.h"
#include "tests/support/TempDir.h"

namespace {

TEST(GameImagesTest, IconFilesThatLoadGetTheNextIndexOthersFail) {
  TempDir folder;
  QImage image(16, 16, QImage::Format_ARGB32);
  image.fill(Qt::red);
  ASSERT_TRUE(image.save(QString::fromStdString(folder.file("red.ico")), "ICO"));
  ASSERT_TRUE(image.save(QString::fromStdString(folder.file("red.png")), "PNG"));
  folder.write("garbage.ico", "not an icon at all");

  TGameImages images;
  EXPECT_EQ(images.Add(QIcon()), 0);
  EXPECT_EQ(images.AddIconFile(folder.file("red.ico")), 1);
  EXPECT_EQ(images.AddIconFile(folder.file("red.png")), 2);
  EXPECT_EQ(images.AddIconFile(folder.file("garbage.ico")), -1);
  EXPECT_EQ(images.AddIconFile(folder.file("missing.ico")), -1);
  EXPECT_EQ(images.Count(), 3);
  EXPECT_FALSE(images.Image(1).isNull());
}

// A plug-in's image comes as the PNG bytes it exports.
TEST(GameImagesTest, PngBytesThatDecodeGetTheNextIndexOthersFail) {
  QImage image(16, 16, QImage::Format_ARGB32);
  image.fill(Qt::green);
  QByteArray png;
  QBuffer buffer(&png);
  ASSERT_TRUE(buffer.open(QIODevice::WriteOnly));
  ASSERT_TRUE(image.save(&buffer, "PNG"));

  TGameImages images;
  EXPECT_EQ(images.Add(QIcon()), 0);
  EXPECT_EQ(images.AddIconData(png.toStdString()), 1);
  EXPECT_EQ(images.AddIconData(png.left(png.size() / 2).toStdString()), -1);
  EXPECT_EQ(images.AddIconData("not a picture"), -1);
  EXPECT_EQ(images.AddIconData(""), -1);
  EXPECT_EQ(images.Count(), 2);
  EXPECT_EQ(images.Image(1).pixmap(16, 16).toImage().pixelColor(8, 8), QColor(Qt::green));
}

} // namespace
