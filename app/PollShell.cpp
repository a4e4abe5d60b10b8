#include "app/PollShell.h"

#include <QHostAddress>
#include <QNetworkProxy>
#include <QProgressBar>

#include <exception>
#include <unistd.h>

#include "app/UpdateCheck.h"
#include "poll/PollEngine.h"
#include "util/debug_log.h"
#include "util/poll_sockets.h"

namespace {

constexpr quint16 kLocalPort = 1024;

} // namespace

TPollShell::TPollShell(QProgressBar& progress, QObject* parent) : QObject(parent), pgs_(progress) {
  Timer1.setObjectName(QStringLiteral("Timer1"));
  tmSub.setObjectName(QStringLiteral("tmSub"));
  UDP.setObjectName(QStringLiteral("UDP"));
  // A game server is never polled through a proxy; without this, the socket
  // would start Qt's proxy lookup.
  UDP.setProxy(QNetworkProxy::NoProxy);
  // A port held by another program is not reported: sends then go out from a
  // port the system picks, and replies come back to it as usual.
  const std::vector<int> fds = OpenPollSockets(kLocalPort);
  for (const int fd : fds)
    receiveBuffer_ = EnlargeReceiveBuffer(fd, kPollReceiveBufferBytes);
  // The socket takes the first, which sends, and closes it; the others are
  // the shell's.
  UDP.setSocketDescriptor(fds.front(), QAbstractSocket::BoundState);
  moreSockets_.assign(fds.begin() + 1, fds.end());
  // Qt's own reading stays idle: its readyRead is not connected, so its
  // notifier stops after the first datagram and the reader reads alone.
  reader_ = std::make_unique<TDatagramReader>(fds);
  received_ = new QSocketNotifier(reader_->WakeFd(), QSocketNotifier::Read, this);
  connect(received_, &QSocketNotifier::activated, this, &TPollShell::UDPDataReceived);
}

TPollShell::~TPollShell() {
  delete received_;
  reader_.reset();
  for (const int fd : moreSockets_)
    close(fd);
}

void TPollShell::Attach(TPollEngine& engine, std::function<void()> refreshServers) {
  engine_ = &engine;
  refreshServers_ = std::move(refreshServers);
  // Lost replies are asked for at each tick, not for each datagram: a poll
  // step ends with one, and the count costs a system call per socket.
  connect(&Timer1, &QTimer::timeout, this, [this] {
    engine_->Timer1Timer();
    TellLostReplies(static_cast<std::uint32_t>(reader_->Dropped()));
  });
  connect(&tmSub, &QTimer::timeout, this, [this] {
    engine_->tmSubTimer();
    TellLostReplies(static_cast<std::uint32_t>(reader_->Dropped()));
  });
}

void TPollShell::TraceReceiveBuffer() {
  Trace(ReceiveBufferTraceLine(receiveBuffer_));
}

void TPollShell::TellLostReplies(std::uint32_t dropped) {
  if (const auto notice = lostReplies_.Notice(dropped, receiveBuffer_.Granted))
    if (lostRepliesNotice_)
      lostRepliesNotice_(*notice);
}

void TPollShell::StopTimers() {
  tmSub.stop();
  Timer1.stop();
}

void TPollShell::SendDatagram(const std::string& host, int32_t port, const std::string& bytes) {
  UDP.writeDatagram(bytes.data(), static_cast<qint64>(bytes.size()),
                    QHostAddress(QString::fromStdString(host)), static_cast<quint16>(port));
}

void TPollShell::SetCycleTimer(bool enabled, int32_t intervalMs) {
  Timer1.setInterval(intervalMs);
  // A period of 0 would tick without pause: such a cycle timer never runs.
  enabled&& intervalMs > 0 ? Timer1.start() : Timer1.stop();
}

void TPollShell::SetStepTimer(bool enabled, int32_t intervalMs) {
  tmSub.setInterval(intervalMs);
  enabled ? tmSub.start() : tmSub.stop();
}

TDateTime TPollShell::Now() {
  return ::Now();
}

void TPollShell::SetProgress(int32_t position, int32_t maximum) {
  if (position == pgs_.value() && maximum == pgs_.maximum())
    return;
  // A progress bar paints a new value at once; a poll step should not wait
  // for that, so the bar is marked for the next paint instead.
  pgs_.setUpdatesEnabled(false);
  pgs_.setMaximum(maximum);
  pgs_.setValue(position);
  pgs_.setUpdatesEnabled(true);
}

void TPollShell::RefreshServers() {
  if (refreshServers_)
    refreshServers_();
}

void TPollShell::Trace(const std::string& line) {
  // A full disk must not stop the poll.
  DebugLogQuietly(line);
}

void TPollShell::CheckUpdatesIfDue() {
  // The check runs on its own; the tick goes on to the poll cycle at once.
  if (updateCheck_)
    updateCheck_->CheckAutomaticallyIfDue();
}

// Every datagram waiting is handed on before a timer gets its turn: a step
// that ended between two batches would take the rest of a LAN's replies for
// late ones.
void TPollShell::UDPDataReceived() {
  for (auto batch = reader_->Take(); !batch.empty(); batch = reader_->Take())
    for (const TDatagramReader::TDatagram& datagram : batch)
      if (engine_)
        engine_->UDPDataReceived(datagram.ByteCount, DottedIp(datagram.SenderIp),
                                 datagram.SenderPort, datagram.Bytes);
}
