#include "app/GameImages.h"

#include <QImageReader>
#include <QPixmap>

int32_t TGameImages::Add(const QIcon& icon) {
  images_.append(icon);
  return Count() - 1;
}

int32_t TGameImages::AddIconFile(const std::string& path) {
  QImageReader reader(QString::fromStdString(path));
  const QImage image = reader.read();
  if (image.isNull())
    return -1;
  return Add(QIcon(QPixmap::fromImage(image)));
}

int32_t TGameImages::AddIconData(const std::string& png) {
  QImage image;
  if (!image.loadFromData(reinterpret_cast<const uchar*>(png.data()), static_cast<int>(png.size()),
                          "PNG"))
    return -1;
  return Add(QIcon(QPixmap::fromImage(image)));
}
