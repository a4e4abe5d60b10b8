#include "ModalScript.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {

constexpr int kTickMs = 5;
// A safety net against a hanging test, not a timing margin.
constexpr int kGraceTicks = 30000 / kTickMs;

} // namespace

TModalScript::TModalScript() {
  timer_.setInterval(kTickMs);
  connect(&timer_, &QTimer::timeout, this, [this] { Check(); });
  timer_.start();
}

TModalScript& TModalScript::Then(TAction action) {
  actions_.push_back(std::move(action));
  return *this;
}

TModalScript& TModalScript::ThenAccept() {
  return Then([](QWidget& modal) {
    if (auto* box = qobject_cast<QMessageBox*>(&modal); box && box->defaultButton())
      box->defaultButton()->click();
    else if (auto* dialog = qobject_cast<QDialog*>(&modal))
      dialog->accept();
  });
}

bool TModalScript::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Hide && watched == handled_) {
    watched->removeEventFilter(this);
    handled_ = nullptr;
  }
  return QObject::eventFilter(watched, event);
}

void TModalScript::Check() {
  QWidget* modal = QApplication::activeModalWidget();
  if (!modal || modal == handled_ || !modal->isVisible())
    return;
  if (actions_.empty()) {
    if (modal != waiting_) {
      waiting_ = modal;
      waitedTicks_ = 0;
    } else if (++waitedTicks_ > kGraceTicks) {
      ++unanswered_;
      handled_ = modal;
      if (auto* dialog = qobject_cast<QDialog*>(modal))
        dialog->reject();
      else
        modal->close();
    }
    return;
  }
  handled_ = modal;
  modal->installEventFilter(this);
  if (auto* box = qobject_cast<QMessageBox*>(modal))
    messages_ << box->text();
  TAction action = std::move(actions_.front());
  actions_.pop_front();
  action(*modal);
}
