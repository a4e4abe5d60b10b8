// Writes the application icon as PNG files into a freedesktop icon theme
// folder: <folder>/hicolor/<n>x<n>/apps/skarvel.png.
#include <QDir>
#include <QGuiApplication>
#include <QPixmap>

#include <cstdio>

#include "app/DesignIcon.h"

int main(int argc, char** argv) {
  // Drawing needs no display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: skarvel-write-icons <folder>\n");
    return 2;
  }
  const QIcon icon = DesignIcon();
  const QDir root(QString::fromLocal8Bit(argv[1]));
  for (int size : {16, 32, 48, 64, 128, 256}) {
    const QString folder = QStringLiteral("hicolor/%1x%1/apps").arg(size);
    const QString file = root.filePath(folder + QStringLiteral("/skarvel.png"));
    if (!root.mkpath(folder) || !icon.pixmap(size, size).save(file, "PNG")) {
      std::fprintf(stderr, "skarvel-write-icons: cannot write %s\n", qPrintable(file));
      return 1;
    }
  }
  return 0;
}
