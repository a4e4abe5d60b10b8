#include "app/StartupMessage.h"

#include <QApplication>
#include <QPointer>

#include <exception>

#include "dialogs/ErrorReport.h"
#include "util/debug_log.h"

namespace {

bool abandoned = false;
QPointer<QMessageBox> openBox;

} // namespace

void ShowStartupMessage(QMessageBox::Icon icon, const QString& text) {
  // The trace tells a headless run what it is waiting for.
  try {
    DebugLog("Message: " + text.toStdString());
  } catch (const std::exception&) {
    // The trace may be what cannot be written.
  }
  if (abandoned)
    return;
  QMessageBox box(icon, QStringLiteral("Skarvel"), text, QMessageBox::Ok);
  TranslateButtons(box);
  openBox = &box;
  box.exec();
}

void AbandonStartupMessages() {
  abandoned = true;
  if (openBox)
    openBox->reject();
}

bool StartupMessagesAbandoned() {
  return abandoned;
}
