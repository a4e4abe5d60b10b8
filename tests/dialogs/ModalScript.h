#pragma once

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <functional>

// Answers the modal windows a test's click opens, as a user would: each
// new modal window (a dialog, a message box) gets the next scripted action,
// in order. A modal window left without an action is rejected after a long
// grace, and counted, so a test that opens more than it expects fails
// instead of hanging.
class TModalScript : public QObject {
public:
  using TAction = std::function<void(QWidget& modal)>;

  TModalScript();
  // Queues an action for the next new modal window.
  TModalScript& Then(TAction action);
  // Queues a plain acceptance (OK, Yes, the default button).
  TModalScript& ThenAccept();

  // Actions not yet used, and the windows nobody answered.
  int Pending() const { return static_cast<int>(actions_.size()); }
  int Unanswered() const { return unanswered_; }
  // The texts of the message boxes answered, in order.
  const QStringList& MessageTexts() const { return messages_; }

protected:
  // A window that hides may show again (a dialog made once, opened twice):
  // then it is new again.
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void Check();

  QTimer timer_;
  std::deque<TAction> actions_;
  QPointer<QWidget> handled_;
  QPointer<QWidget> waiting_; // a modal window without an action yet
  int waitedTicks_ = 0;
  int unanswered_ = 0;
  QStringList messages_;
};
