#pragma once

#include <QObject>

// Notes a request to end the program (QCoreApplication::quit, as the end of
// session and SIGTERM take it) while it lives, so that a loop that waits on
// its own terms can give up at once.
class TQuitRequestWatch : public QObject {
  Q_OBJECT
public:
  TQuitRequestWatch();
  ~TQuitRequestWatch() override;

  bool Requested() const { return requested_; }

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  bool requested_ = false;
};
