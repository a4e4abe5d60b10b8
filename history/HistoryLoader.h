#pragma once

#include <QObject>

#include <ctime>
#include <functional>
#include <optional>
#include <string>

#include "history/ServerHistory.h"

class QThread;

// What to read: a server of the database, up to a moment.
struct THistoryRequest {
  std::string DatabasePath;
  std::string Game;
  std::string Address;
  std::time_t Now = 0;
};

// Reads a server's history on a thread of its own, so that a large database
// never stalls the window; the answer comes back on the window's thread. A
// request made while one is read replaces the waiting one, and only the
// answer to the last request is handed on.
class THistoryLoader : public QObject {
  Q_OBJECT
public:
  using Loaded = std::function<void(const TServerHistory&)>;

  THistoryLoader(Loaded loaded, QObject* parent);
  ~THistoryLoader() override;

  void Start(const THistoryRequest& request);
  bool Busy() const { return thread_ != nullptr; }

private:
  void Finished(const TServerHistory& history);

  Loaded loaded_;
  QThread* thread_ = nullptr;
  std::optional<THistoryRequest> waiting_;
};
