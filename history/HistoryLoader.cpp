#include "history/HistoryLoader.h"

#include <QThread>

#include <memory>

#include "history/HistoryReader.h"

THistoryLoader::THistoryLoader(Loaded loaded, QObject* parent)
    : QObject(parent), loaded_(std::move(loaded)) {
}

THistoryLoader::~THistoryLoader() {
  if (thread_)
    thread_->wait();
}

void THistoryLoader::Start(const THistoryRequest& request) {
  if (thread_) {
    waiting_ = request;
    return;
  }
  auto history = std::make_shared<TServerHistory>();
  thread_ = QThread::create([request, history] {
    *history = ReadServerHistory(request.DatabasePath, request.Game, request.Address, request.Now);
  });
  connect(thread_, &QThread::finished, this, [this, history] { Finished(*history); });
  thread_->start();
}

void THistoryLoader::Finished(const TServerHistory& history) {
  thread_->deleteLater();
  thread_ = nullptr;
  if (waiting_) {
    const THistoryRequest next = *waiting_;
    waiting_.reset();
    Start(next);
    return;
  }
  loaded_(history);
}
