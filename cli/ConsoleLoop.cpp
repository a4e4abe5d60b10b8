#include "cli/ConsoleLoop.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <system_error>
#include <utility>

#include "poll/PollEngine.h"

using TClock = TDeadlineTimer::TClock;

TConsoleLoop::TConsoleLoop(TUdpSocket& socket, TDatagramReader& reader, TConsolePorts& ports,
                           TPollEngine& engine, TStopSignals& stopSignals,
                           std::function<void(const std::string&)> notice)
    : socket_(socket), reader_(reader), ports_(ports), engine_(engine), stopSignals_(stopSignals),
      notice_(std::move(notice)) {
}

// One timer tick at a time, so that `finished` sees the state after each: a
// cycle that ends in a step is not followed by the next cycle's tick unasked.
bool TConsoleLoop::Run(const std::function<bool()>& finished) {
  while (!finished()) {
    if (FireDueTimer())
      continue;
    // While datagrams read wait for their turn, more are left in the sockets.
    pollfd watched[2] = {{stopSignals_.Fd(), POLLIN, 0},
                         {pending_.empty() ? reader_.WakeFd() : -1, POLLIN, 0}};
    // Datagrams left over for a timer's turn are handed on without a wait.
    const int ready = poll(watched, 2, pending_.empty() ? WaitMilliseconds() : 0);
    if (ready < 0 && errno != EINTR)
      throw std::system_error(errno, std::generic_category(), "poll failed");
    if (ready > 0 && watched[0].revents != 0 && stopSignals_.Take()) {
      TellLostReplies();
      return false;
    }
    if (ready > 0 && watched[1].revents != 0)
      for (TDatagramReader::TDatagram& datagram : reader_.Take())
        pending_.push_back(std::move(datagram));
    HandWaitingDatagrams();
  }
  TellLostReplies();
  return true;
}

// The datagrams taken are handed on in the order they came. A timer that
// comes due meanwhile still gets its turn, so that a flood of datagrams
// cannot hold up the cycle.
void TConsoleLoop::HandWaitingDatagrams() {
  while (!pending_.empty() && !DueTimer(TClock::now())) {
    const TDatagramReader::TDatagram datagram = std::move(pending_.front());
    pending_.pop_front();
    engine_.UDPDataReceived(datagram.ByteCount, DottedIp(datagram.SenderIp), datagram.SenderPort,
                            datagram.Bytes);
  }
}

// Asked at each timer tick, not for each datagram: a poll step ends with one,
// and the count costs a system call per socket.
void TConsoleLoop::TellLostReplies() {
  if (const auto notice = lostReplies_.Notice(static_cast<std::uint32_t>(reader_.Dropped()),
                                              socket_.ReceiveBuffer().Granted))
    notice_(*notice);
}

// The timer with the earlier deadline, when one is due; a tick may re-arm
// either timer.
bool TConsoleLoop::FireDueTimer() {
  const TClock::time_point now = TClock::now();
  TDeadlineTimer* due = DueTimer(now);
  if (!due)
    return false;
  due->Fired(now);
  if (due == &ports_.StepTimer)
    engine_.tmSubTimer();
  else
    engine_.Timer1Timer();
  TellLostReplies();
  return true;
}

TDeadlineTimer* TConsoleLoop::DueTimer(TClock::time_point now) {
  TDeadlineTimer* due = nullptr;
  for (TDeadlineTimer* timer : {&ports_.StepTimer, &ports_.CycleTimer})
    if (timer->Due(now) && (!due || *timer->Deadline() < *due->Deadline()))
      due = timer;
  return due;
}

// Until the earlier deadline, rounded up so that a wake-up never comes early;
// forever when neither timer runs.
int TConsoleLoop::WaitMilliseconds() const {
  std::optional<TClock::time_point> next;
  for (const TDeadlineTimer* timer : {&ports_.StepTimer, &ports_.CycleTimer})
    if (const auto deadline = timer->Deadline(); deadline && (!next || *deadline < *next))
      next = deadline;
  if (!next)
    return -1;
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(*next - TClock::now());
  return static_cast<int>(std::clamp<long long>(left.count(), 0, 60 * 60 * 1000));
}
