#pragma once

#include <functional>
#include <string>
#include <vector>

#include "games/plugin.h"
#include "util/version.h"

// One loaded statistics plug-in.
struct TStatPlugin {
  std::string FileName;
  PackedVersion Version = 0;
  TServerStateFunction ServerState = nullptr;
  TDetachFunction Detach = nullptr;
  const TPluginInfo* PluginInfo = nullptr;
};

// The statistics plug-ins in load order. Destroying the list detaches them,
// the last loaded first.
//
// A plug-in call cannot be interrupted, so each is timed: a plug-in whose
// call took longer than kSlowCallSeconds is traced and left out for the next
// kHoldBackSeconds, so a slow one costs that time once, not once per server
// and cycle.
class TStatPluginList {
public:
  static constexpr double kSlowCallSeconds = 1.0;
  static constexpr double kHoldBackSeconds = 60.0;
  // Seconds of a monotonic clock; tests give one of their own.
  using TClock = std::function<double()>;

  TStatPluginList() = default;
  ~TStatPluginList();
  TStatPluginList(const TStatPluginList&) = delete;
  TStatPluginList& operator=(const TStatPluginList&) = delete;

  void Add(const TStatPlugin& plugin);
  void SetClock(TClock clock) { clock_ = std::move(clock); }
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  const TStatPlugin& Items(int32_t index) const {
    return items_.at(static_cast<std::size_t>(index));
  }

  // Hands one server's state to every plug-in, in load order. The buffers are
  // the caller's and live only during the call.
  void ServerState(const TServerStateInfo& server, const std::string& info,
                   const std::string& players, const std::vector<int32_t>& frags) const;

private:
  std::vector<TStatPlugin> items_;
  mutable std::vector<double> heldUntil_; // per plug-in, by the clock
  TClock clock_;
};
