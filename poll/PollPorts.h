#pragma once

#include <cstdint>
#include <string>

#include "util/datetime.h"

// What the poll engine needs from its surroundings: the window (or the
// console front end) wires these to its socket, timers, clock, progress bar
// and trace; tests replace them with fakes.
class IPollPorts {
public:
  virtual ~IPollPorts() = default;

  // One datagram from local port 1024 (bytes already cut to 256).
  virtual void SendDatagram(const std::string& host, int32_t port, const std::string& bytes) = 0;
  // Arms or stops a timer; arming a running timer restarts its period now.
  virtual void SetCycleTimer(bool enabled, int32_t intervalMs) = 0;
  virtual void SetStepTimer(bool enabled, int32_t intervalMs) = 0;
  virtual TDateTime Now() = 0;
  virtual void SetProgress(int32_t position, int32_t maximum) = 0;
  // Rebuild the server view, the player view and the tray from the live list.
  virtual void RefreshServers() = 0;
  // One line of the diagnostic trace (written only under the debug switch).
  virtual void Trace(const std::string& line) = 0;
  // The periodic update check runs here when it is due.
  virtual void CheckUpdatesIfDue() {}
};
