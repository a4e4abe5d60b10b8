#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>
#include <optional>

#include "update/UpdateOutcome.h"
#include "update/UpdateReply.h"
#include "update/UpdateServer.h"

class QTcpSocket;

// Fetches the update page over one TCP connection, driven by the socket's
// signals: the window's event loop runs on while it waits, and nothing waits
// inside a handler. The whole check is bounded in time (30 s) and, through
// TUpdateReply, in bytes.
class TUpdateClient : public QObject {
  Q_OBJECT
public:
  using TDone = std::function<void(TUpdateOutcome)>;
  static constexpr std::chrono::milliseconds kDefaultTimeBound{30000};

  explicit TUpdateClient(QObject* parent = nullptr);
  ~TUpdateClient() override;

  // Starts a check for news after `lastCheck`; `done` gets the outcome once,
  // from the event loop, never from inside Start. False, with nothing
  // started, while a check runs.
  bool Start(const TUpdateServer& server, TDateTime lastCheck, TDone done);
  bool Running() const { return socket_ != nullptr; }
  void SetTimeBound(std::chrono::milliseconds bound) { timeBound_ = bound; }

private:
  void Connected();
  void ReadAnswer();
  void AnswerEnded();
  void Failed(TUpdateFailure failure);
  // By value: the outcome may live in the reply, which goes here.
  void Finish(TUpdateOutcome outcome);

  std::chrono::milliseconds timeBound_ = kDefaultTimeBound;
  QTcpSocket* socket_ = nullptr;
  QTimer deadline_;
  TUpdateServer server_;
  std::optional<TUpdateReply> reply_;
  bool connected_ = false;
  TDone done_;
};
