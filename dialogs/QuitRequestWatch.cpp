#include "dialogs/QuitRequestWatch.h"

#include <QCoreApplication>
#include <QEvent>

TQuitRequestWatch::TQuitRequestWatch() {
  QCoreApplication::instance()->installEventFilter(this);
}

TQuitRequestWatch::~TQuitRequestWatch() {
  QCoreApplication::instance()->removeEventFilter(this);
}

bool TQuitRequestWatch::eventFilter(QObject* watched, QEvent* event) {
  if (watched == QCoreApplication::instance() && event->type() == QEvent::Quit)
    requested_ = true;
  return false;
}
