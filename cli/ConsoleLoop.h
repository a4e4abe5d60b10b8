#pragma once

#include <deque>
#include <functional>
#include <string>

#include "cli/ConsolePorts.h"
#include "cli/StopSignals.h"
#include "cli/UdpSocket.h"
#include "poll/LostReplies.h"
#include "util/DatagramReader.h"

class TPollEngine;

// The single-threaded event loop of the console: waits on the poll sockets
// and the stop signals until the earlier timer deadline, then hands datagrams
// and timer ticks to the engine, as the window's event loop does.
class TConsoleLoop {
public:
  // `reader` reads `socket`; `notice` tells the user of lost replies, once.
  TConsoleLoop(TUdpSocket& socket, TDatagramReader& reader, TConsolePorts& ports,
               TPollEngine& engine, TStopSignals& stopSignals,
               std::function<void(const std::string&)> notice);

  // Runs until `finished` holds (asked before every wait) or a stop signal
  // arrives; false in the second case.
  bool Run(const std::function<bool()>& finished);

private:
  bool FireDueTimer();
  TDeadlineTimer* DueTimer(TDeadlineTimer::TClock::time_point now);
  void HandWaitingDatagrams();
  void TellLostReplies();
  int WaitMilliseconds() const;

  TUdpSocket& socket_;
  TDatagramReader& reader_;
  // Read, not yet handed to the engine.
  std::deque<TDatagramReader::TDatagram> pending_;
  TConsolePorts& ports_;
  TPollEngine& engine_;
  TStopSignals& stopSignals_;
  std::function<void(const std::string&)> notice_;
  TLostReplies lostReplies_;
};
