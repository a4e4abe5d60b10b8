#include "cli/ConsolePorts.h"

#include <exception>
#include <iostream>

#include "util/datetime.h"
#include "util/debug_log.h"

void TConsolePorts::SendDatagram(const std::string& host, int32_t port, const std::string& bytes) {
  socket_.SendTo(host, port, bytes);
}

void TConsolePorts::SetCycleTimer(bool enabled, int32_t intervalMs) {
  CycleTimer.Set(enabled, intervalMs, TDeadlineTimer::TClock::now());
}

void TConsolePorts::SetStepTimer(bool enabled, int32_t intervalMs) {
  StepTimer.Set(enabled, intervalMs, TDeadlineTimer::TClock::now());
}

TDateTime TConsolePorts::Now() {
  return ::Now();
}

void TConsolePorts::Trace(const std::string& line) {
  if (!DebugSwitch())
    return;
  // A trace that cannot be written must not stop the poll; say so once.
  try {
    DebugLog(line);
  } catch (const std::exception& error) {
    if (!traceFailed_)
      std::cerr << "skarvel-cli: " << error.what() << std::endl;
    traceFailed_ = true;
  }
}
