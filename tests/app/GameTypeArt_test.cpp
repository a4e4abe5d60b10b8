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

// The images are drawn when first asked for; a disabled view still greys them.
TEST(GameTypeArtTest, DisabledImagesAreGreyedAndCopiesDrawTheSame) {
  for (int index = 0; index < kGameTypeImageCount; ++index) {
    SCOPED_TRACE(index);
    const QIcon icon = GameTypeImage(index);
    const QIcon copy = icon;
    const QImage disabled =
        icon.pixmap(16, QIcon::Disabled).toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(disabled.size(), QSize(16, 16));
    EXPECT_NE(disabled, At(icon, 16));
    EXPECT_EQ(At(copy, 24), At(GameTypeImage(index), 24));
  }
}

TEST(GameTypeArtTest, IndexesOutsideTheBuiltInImagesGiveNoImage) {
  EXPECT_TRUE(GameTypeImage(-1).isNull());
  EXPECT_TRUE(GameTypeImage(kGameTypeImageCount).isNull());
}

} // namespace
