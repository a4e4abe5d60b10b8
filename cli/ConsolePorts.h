#pragma once

#include "cli/DeadlineTimer.h"
#include "cli/UdpSocket.h"
#include "poll/PollPorts.h"

// The poll engine's ports on the console: the UDP socket, the two timers as
// deadlines, the clock and the trace. There are no views to refresh and no
// progress bar.
class TConsolePorts : public IPollPorts {
public:
  explicit TConsolePorts(TUdpSocket& socket) : socket_(socket) {}

  void SendDatagram(const std::string& host, int32_t port, const std::string& bytes) override;
  void SetCycleTimer(bool enabled, int32_t intervalMs) override;
  void SetStepTimer(bool enabled, int32_t intervalMs) override;
  TDateTime Now() override;
  void SetProgress(int32_t, int32_t) override {}
  void RefreshServers() override {}
  void Trace(const std::string& line) override;

  TDeadlineTimer CycleTimer;
  TDeadlineTimer StepTimer;

private:
  TUdpSocket& socket_;
  bool traceFailed_ = false;
};
