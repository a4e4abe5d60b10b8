#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <QUdpSocket>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "poll/LostReplies.h"
#include "poll/PollPorts.h"
#include "util/DatagramReader.h"
#include "util/receive_buffer.h"

class QProgressBar;
class TPollEngine;
class TUpdateCheck;

// The poll engine's ports in the window: the cycle timer Timer1, the step
// timer tmSub, the progress bar pgs and the poll sockets on local port 1024
// (OpenPollSockets): UDP sends from the first, reader_ reads them all.
class TPollShell : public QObject, public IPollPorts {
  Q_OBJECT
public:
  TPollShell(QProgressBar& progress, QObject* parent = nullptr);
  ~TPollShell() override;

  // The engine the timers and the socket drive, and the view refresh.
  void Attach(TPollEngine& engine, std::function<void()> refreshServers);
  void StopTimers();
  // The update check the cycle tick starts when it is due.
  void AttachUpdateCheck(TUpdateCheck& check) { updateCheck_ = &check; }
  // Traces the receive buffer the socket got; called once the trace's folder
  // is the program folder.
  void TraceReceiveBuffer();
  // Where the user is told, once, that the system dropped replies.
  void SetLostRepliesNotice(std::function<void(const std::string&)> notice) {
    lostRepliesNotice_ = std::move(notice);
  }
  // The poll sockets' drop count, as read at each timer tick.
  void TellLostReplies(std::uint32_t dropped);

  void SendDatagram(const std::string& host, int32_t port, const std::string& bytes) override;
  void SetCycleTimer(bool enabled, int32_t intervalMs) override;
  void SetStepTimer(bool enabled, int32_t intervalMs) override;
  TDateTime Now() override;
  void SetProgress(int32_t position, int32_t maximum) override;
  void RefreshServers() override;
  void Trace(const std::string& line) override;
  void CheckUpdatesIfDue() override;

  QTimer Timer1;
  QTimer tmSub;
  QUdpSocket UDP; // sends; reader_ reads it

private:
  void UDPDataReceived();

  QProgressBar& pgs_;
  TPollEngine* engine_ = nullptr;
  std::function<void()> refreshServers_;
  TUpdateCheck* updateCheck_ = nullptr;
  TReceiveBuffer receiveBuffer_;
  std::function<void(const std::string&)> lostRepliesNotice_;
  TLostReplies lostReplies_;
  std::vector<int> moreSockets_; // the poll sockets but UDP's
  std::unique_ptr<TDatagramReader> reader_;
  QSocketNotifier* received_ = nullptr;
};
