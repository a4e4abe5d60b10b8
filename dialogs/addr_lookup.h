#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>

class QEventLoop;

// Gives a host's dotted IPv4 text, or "" when it does not resolve.
using THostResolver = std::function<std::string(const std::string& host)>;

// Looks a host up on a worker thread while the caller waits in a local event
// loop, so the window keeps painting and its Cancel keeps working. The worker
// shares only its own state with the waiter: it may outlive the lookup, the
// dialog and the wait, and its late answer is then dropped.
class THostLookup {
public:
  explicit THostLookup(THostResolver resolve) : resolve_(std::move(resolve)) {}
  THostLookup(const THostLookup&) = delete;
  THostLookup& operator=(const THostLookup&) = delete;

  // The resolver's answer; "" when it has none within `bound`; nothing when
  // Abandon was called meanwhile.
  std::optional<std::string> Resolve(const std::string& host, std::chrono::milliseconds bound);
  // Ends a waiting Resolve at once, from a handler that runs during the wait.
  void Abandon();

private:
  THostResolver resolve_;
  QEventLoop* waiting_ = nullptr;
  bool abandoned_ = false;
};
