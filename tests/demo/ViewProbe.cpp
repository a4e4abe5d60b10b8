// Loaded into the real program with LD_PRELOAD by the demo test: every half
// second it writes the rows of the server view, one line each with the
// column texts separated by tabs, to the file named by SKARVEL_VIEW_PROBE.
// So the test reads what the window shows, without a hook in the program.
#include <QApplication>
#include <QFile>
#include <QSaveFile>
#include <QTimer>
#include <QTreeWidget>

namespace {

QString ServerRows() {
  QString rows;
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (window->objectName() != QLatin1String("frmMain"))
      continue;
    const auto* view = window->findChild<QTreeWidget*>(QStringLiteral("lvServers"));
    if (!view)
      continue;
    for (int row = 0; row < view->topLevelItemCount(); ++row) {
      QStringList columns;
      for (int column = 0; column < view->columnCount(); ++column)
        columns << view->topLevelItem(row)->text(column);
      rows += columns.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
  }
  return rows;
}

void WriteRows(const QString& path) {
  QSaveFile file(path);
  if (file.open(QIODevice::WriteOnly)) {
    file.write(ServerRows().toUtf8());
    file.commit();
  }
}

void StartProbe() {
  const QString path = qEnvironmentVariable("SKARVEL_VIEW_PROBE");
  if (path.isEmpty())
    return;
  auto* timer = new QTimer(QCoreApplication::instance());
  QObject::connect(timer, &QTimer::timeout, [path] { WriteRows(path); });
  timer->start(500);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(StartProbe)
