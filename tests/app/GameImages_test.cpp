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

} // namespace
