#pragma once

#include <QProcess>
#include <QString>

// A bus daemon of the test's own, which the test may stall as a hung bus
// would be: Stop freezes it, the destructor lets it go and ends it.
class PrivateBus {
public:
  PrivateBus();
  ~PrivateBus();
  PrivateBus(const PrivateBus&) = delete;
  PrivateBus& operator=(const PrivateBus&) = delete;

  // Empty when the daemon did not start.
  const QString& Address() const { return address_; }
  bool Stop();
  bool Continue();

private:
  QProcess daemon_;
  QString address_;
};
