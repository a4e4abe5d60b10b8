#include "dialogs/addr_lookup.h"

#include <QEventLoop>
#include <QTimer>

#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace {

// What the worker and the waiter share. The waiter clears `waiting` under the
// lock before its loop goes, so the worker never posts to a loop that is gone.
struct TLookupState {
  std::mutex lock;
  QEventLoop* waiting = nullptr;
  bool answered = false;
  std::string answer;
};

void RunResolver(const std::shared_ptr<TLookupState>& state, const THostResolver& resolve,
                 const std::string& host) {
  std::string answer;
  try {
    answer = resolve(host);
  } catch (...) {
    answer.clear(); // a resolver that throws has no answer
  }
  const std::lock_guard guard(state->lock);
  state->answer = std::move(answer);
  state->answered = true;
  if (state->waiting)
    QMetaObject::invokeMethod(state->waiting, &QEventLoop::quit, Qt::QueuedConnection);
}

} // namespace

std::optional<std::string> THostLookup::Resolve(const std::string& host,
                                                std::chrono::milliseconds bound) {
  auto state = std::make_shared<TLookupState>();
  QEventLoop loop;
  state->waiting = &loop;
  try {
    std::thread([state, resolve = resolve_, host] { RunResolver(state, resolve, host); }).detach();
  } catch (const std::system_error&) {
    return std::string(); // no thread to look it up on
  }

  QTimer::singleShot(bound, &loop, &QEventLoop::quit);
  waiting_ = &loop;
  abandoned_ = false;
  // An answer that comes before the loop runs waits as a posted quit.
  loop.exec();
  waiting_ = nullptr;

  const std::lock_guard guard(state->lock);
  state->waiting = nullptr;
  if (abandoned_)
    return std::nullopt;
  return state->answered ? state->answer : std::string();
}

void THostLookup::Abandon() {
  abandoned_ = true;
  if (waiting_)
    waiting_->quit();
}
