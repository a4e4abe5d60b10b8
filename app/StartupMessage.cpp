#include "app/StartupMessage.h"

#include <QApplication>
#include <QPointer>

#include <deque>
#include <exception>
#include <utility>

#include "dialogs/ErrorReport.h"
#include "util/debug_log.h"

namespace {

struct THeldMessage {
  QMessageBox::Icon Icon;
  QString Text;
};

bool abandoned = false;
bool held = false;
std::deque<THeldMessage> heldMessages;
QPointer<QMessageBox> openBox;

void Show(QMessageBox::Icon icon, const QString& text) {
  if (abandoned)
    return;
  QMessageBox box(icon, QStringLiteral("Skarvel"), text, QMessageBox::Ok);
  TranslateButtons(box);
  openBox = &box;
  box.exec();
}

} // namespace

void ShowStartupMessage(QMessageBox::Icon icon, const QString& text) {
  // The trace tells a headless run what it is waiting for.
  DebugLogQuietly("Message: " + text.toStdString());
  if (held)
    heldMessages.push_back({icon, text});
  else
    Show(icon, text);
}

void AbandonStartupMessages() {
  abandoned = true;
  heldMessages.clear();
  if (openBox)
    openBox->reject();
}

bool StartupMessagesAbandoned() {
  return abandoned;
}

void HoldStartupMessages() {
  held = true;
}

void ReleaseStartupMessages() {
  // A problem reported while a box waits joins the queue.
  while (!heldMessages.empty()) {
    const THeldMessage message = std::move(heldMessages.front());
    heldMessages.pop_front();
    Show(message.Icon, message.Text);
  }
  held = false;
}
