#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

#include <set>

#include "app/GameTypeArt.h"

namespace {

QImage At(const QIcon& icon, int size) {
  return icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
}

TEST(GameTypeArtTest, SevenDistinctImagesDrawnForEverySize) {
  std::set<qint64> seen;
  for (int index = 0; index < kGameTypeImageCount; ++index) {
    SCOPED_TRACE(index);
    const QIcon icon = GameTypeImage(index);
    ASSERT_FALSE(icon.isNull());
    // Each size is drawn, not scaled from another, so it stays sharp.
    for (int size : {16, 20, 22, 24, 32, 48, 64})
      EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size))) << size;
    const QImage image = At(icon, 16);
    seen.insert(static_cast<qint64>(qHashBits(image.constBits(), image.sizeInBytes())));
  }
  EXPECT_EQ(seen.size(), static_cast<std::size_t>(kGameTypeImageCount));
}

TEST(GameTypeArtTest, IndexesOutsideTheBuiltInImagesGiveNoImage) {
  EXPECT_TRUE(GameTypeImage(-1).isNull());
  EXPECT_TRUE(GameTypeImage(kGameTypeImageCount).isNull());
}

} // namespace
