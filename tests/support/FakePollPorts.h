#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "model/address.h"
#include "model/server.h"
#include "poll/Monitor.h"
#include "poll/PollPorts.h"
#include "poll/PollSettings.h"
#include "protocols/builtin_games.h"
#include "tests/support/RecordingServerEvents.h"
#include "tests/support/ScratchProgramFolder.h"
#include "util/datetime.h"

// The ports of the poll engine for tests: a clock the test sets, timers that
// only remember how they were armed, and a record of everything the engine
// sent, showed and traced. Nothing here sleeps or touches the network.
class FakePollPorts : public IPollPorts {
public:
  static constexpr double kMillisecond = 1.0 / 86400000.0;

  struct Datagram {
    std::string host;
    int32_t port = 0;
    std::string bytes;
    bool operator==(const Datagram&) const = default;
  };
  struct Progress {
    int32_t position = 0;
    int32_t maximum = 0;
    bool operator==(const Progress&) const = default;
  };
  struct Timer {
    bool enabled = false;
    int32_t interval = 0;
    TDateTime armedAt = 0; // when it was last enabled: its period runs from here
    TDateTime DueAt() const { return armedAt + interval * kMillisecond; }
  };

  TDateTime now = 45000.25; // any day, six in the morning
  std::vector<Datagram> sent;
  Timer cycleTimer;
  Timer stepTimer;
  std::vector<std::string> timerCalls; // "cycle on 3000", "step off", ...
  std::vector<Progress> progress;
  std::vector<std::string> trace;
  int32_t refreshes = 0;
  int32_t updateChecks = 0;

  void SetClock(TDateTime start, int32_t milliseconds) {
    now = start + milliseconds * kMillisecond;
  }
  // What was sent or traced so far, which is then forgotten.
  std::vector<Datagram> TakeSent() { return std::exchange(sent, {}); }
  std::vector<std::string> TakeTrace() { return std::exchange(trace, {}); }

  void SendDatagram(const std::string& host, int32_t port, const std::string& bytes) override {
    sent.push_back({host, port, bytes});
  }
  void SetCycleTimer(bool enabled, int32_t intervalMs) override {
    Arm(cycleTimer, "cycle", enabled, intervalMs);
  }
  void SetStepTimer(bool enabled, int32_t intervalMs) override {
    Arm(stepTimer, "step", enabled, intervalMs);
  }
  TDateTime Now() override { return now; }
  void SetProgress(int32_t position, int32_t maximum) override {
    progress.push_back({position, maximum});
  }
  void RefreshServers() override { ++refreshes; }
  void Trace(const std::string& line) override { trace.push_back(line); }
  void CheckUpdatesIfDue() override { ++updateChecks; }

private:
  void Arm(Timer& timer, const std::string& name, bool enabled, int32_t intervalMs) {
    timer.enabled = enabled;
    timer.interval = intervalMs;
    if (enabled)
      timer.armedAt = now;
    timerCalls.push_back(name + (enabled ? " on " + std::to_string(intervalMs) : " off"));
  }
};

// Server events that also keep the event lines (online, offline, ...).
class PollEvents : public RecordingServerEvents {
public:
  std::vector<std::string> lines;
  void EventLine(const TServer&, const std::string& line) override { lines.push_back(line); }
};

// A monitor over the built-in game types in a scratch program folder, driven
// through fake ports.
class PollTest : public ::testing::Test {
protected:
  static constexpr int32_t kUT = 0;
  static constexpr int32_t kQ3 = 3;
  static constexpr int32_t kCSS = 6;
  static constexpr TDateTime kStart = 45000.25;

  void SetUp() override {
    ports.now = kStart;
    monitor.Games.LoadGames(BuiltinGames(), THostInfo{});
  }

  TAddress& AddAddress(const std::string& host, int32_t gameId, bool enabled = true) {
    auto address = std::make_unique<TAddress>(monitor.Games, host, 0, gameId);
    address->Enabled = enabled;
    TAddress& added = *address;
    monitor.Addresses.Add(std::move(address));
    return added;
  }
  // A server that answered in an earlier cycle, still in the server list.
  TServer& AddServer(const std::string& host, int32_t gameId) {
    auto server =
        TServer::CreateFromStore(monitor.Games, events.Roles(), host, 0, gameId, ports.now);
    TServer& added = *server;
    monitor.Servers.Add(std::move(server));
    return added;
  }
  void Receive(const std::string& ip, int32_t port, const std::string& bytes) {
    engine().UDPDataReceived(static_cast<int32_t>(bytes.size()), ip, port, bytes);
  }
  // The step timer fires when its period is up.
  void FireStepTimer() {
    ASSERT_TRUE(ports.stepTimer.enabled);
    ports.now = ports.stepTimer.DueAt();
    engine().tmSubTimer();
  }
  // "host:port key" and " online" for each server of the list, in order.
  std::vector<std::string> ServerSummary() const {
    std::vector<std::string> lines;
    for (int32_t i = 0; i < monitor.Servers.Count(); ++i) {
      const TServer& s = monitor.Servers.Items(i);
      lines.push_back(s.Host + ":" + std::to_string(s.Port) + " " + s.Defs.Key +
                      (s.Online ? " online" : ""));
    }
    return lines;
  }
  TPollEngine& engine() { return monitor.Engine; }

  ScratchProgramFolder folder;
  TPollSettings settings; // what the tests hand to ApplyTimerSettings
  PollEvents events;
  FakePollPorts ports;
  TMonitor monitor{events.Roles(), ports};
};

// Real replies of the built-in protocols.
namespace poll_replies {

inline std::string Q3(const std::string& name) {
  return "\xFF\xFF\xFF\xFF"
         "statusResponse\n\\sv_hostname\\" +
         name + "\\mapname\\q3dm17\\fraglimit\\20\\sv_maxclients\\16\n3 50 \"Bob\"\n";
}

inline std::string UT(const std::string& name) {
  return "\\hostname\\" + name +
         "\\mapname\\DM-Deck16][\\numplayers\\0\\maxplayers\\16\\queryid\\7.1\\final\\";
}

// The Source engine handshake: challenge, server info, players.
inline std::string CssChallenge(const std::string& fourBytes) {
  return "\xFF\xFF\xFF\xFF"
         "A" +
         fourBytes;
}
inline std::string CssInfo(const std::string& name) {
  using namespace std::string_literals;
  // Version, name, map, folder, game, application id, players 3, maximum 16.
  return "\xFF\xFF\xFF\xFFI\x11"s + name + "\0de_dust2\0cstrike\0Counter-Strike: Source\0"s +
         "\xF0\x00\x03\x10"s;
}
inline std::string CssPlayers(const std::string& player, char frags) {
  using namespace std::string_literals;
  // One player: index, name, frags (32 bits), time played (a float).
  return "\xFF\xFF\xFF\xFF"
         "D\x01\x00"s +
         player + "\0"s + frags + "\0\0\0"s + "\0\0\x80\x3F"s;
}

} // namespace poll_replies
