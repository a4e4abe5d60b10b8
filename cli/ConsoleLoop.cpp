#include "cli/ConsoleLoop.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <system_error>
#include <utility>

#include "poll/PollEngine.h"
#include "util/receive_buffer.h"

using TClock = TDeadlineTimer::TClock;

TConsoleLoop::TConsoleLoop(TUdpSocket& socket, TConsolePorts& ports, TPollEngine& engine,
                           TStopSignals& stopSignals,
                           std::function<void(const std::string&)> notice)
    : socket_(socket), ports_(ports), engine_(engine), stopSignals_(stopSignals),
      notice_(std::move(notice)) {
}

// One timer tick at a time, so that `finished` sees the state after each: a
// cycle that ends in a step is not followed by the next cycle's tick unasked.
bool TConsoleLoop::Run(const std::function<bool()>& finished) {
  while (!finished()) {
    if (FireDueTimer())
      continue;
    pollfd watched[2] = {{stopSignals_.Fd(), POLLIN, 0}, {socket_.Fd(), POLLIN, 0}};
    const int ready = poll(watched, 2, WaitMilliseconds());
    if (ready < 0 && errno != EINTR)
      throw std::system_error(errno, std::generic_category(), "poll failed");
    if (ready <= 0)
      continue;
    if (watched[0].revents != 0 && stopSignals_.Take())
      return false;
    if (watched[1].revents != 0) {
      ReadWaitingDatagrams();
      TellLostReplies();
    }
  }
  return true;
}

// Every datagram waiting is read in one go: the replies of a LAN arrive in a
// burst, and the socket's buffer should not have to hold them for long. A
// timer that comes due meanwhile still gets its turn, so that a flood of
// datagrams cannot hold up the cycle.
void TConsoleLoop::ReadWaitingDatagrams() {
  do {
    const auto datagram = socket_.Receive();
    if (!datagram)
      return;
    engine_.UDPDataReceived(datagram->ByteCount, datagram->SenderIp, datagram->SenderPort,
                            datagram->Bytes);
  } while (!DueTimer(TClock::now()));
}

void TConsoleLoop::TellLostReplies() {
  if (const auto dropped = ReceiveDrops(socket_.Fd()))
    if (const auto notice = lostReplies_.Notice(*dropped, socket_.ReceiveBuffer().Granted))
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
