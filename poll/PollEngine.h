#pragma once

#include <cstdint>
#include <exception>
#include <string>

#include "model/ServerRoles.h"
#include "model/address.h"
#include "model/server.h"
#include "poll/PollPorts.h"
#include "poll/PollSettings.h"

// The poll cycle: walks the address list once per cycle, one query per step,
// routes replies to server records and retires silent servers. Driven by the
// cycle tick, the step tick and received datagrams; acts through its ports.
class TPollEngine {
public:
  TPollEngine(TAddressList& addresses, TServerList& servers, TServerList& knownServers,
              TServerList& pendingServers, const TServerRoles& roles, IPollPorts& ports);

  // Takes the settings: manual-only mode and the timer periods. A cycle
  // period too short for one step per query is raised for the engine alone;
  // the settings given stay as they are.
  void ApplyTimerSettings(const TPollSettings& settings);
  void Timer1Timer(); // cycle tick
  void tmSubTimer();  // step tick
  bool SendNextQuery();
  void FinishCycle();
  // byteCount -1 is a failed receive.
  void UDPDataReceived(int32_t byteCount, const std::string& senderIp, int32_t senderPort,
                       const std::string& bytes);
  // The Refresh command: nothing while a cycle runs; otherwise the cycle
  // timer's period restarts now and a cycle starts at once.
  void Refresh();
  // The settings dialog replaces the address list only while no cycle runs.
  // Pause ends a running cycle at its next step (the query in flight keeps
  // its wait, the servers not reached yet keep their state) and starts no
  // cycle until Resume. Resume starts one at once when a cycle was cut short
  // or a cycle tick fell meanwhile.
  void Pause();
  void Resume();

  bool Polling() const { return polling_; }
  bool ManualOnly() const { return manualOnly_; }
  int32_t CurrentAddress() const { return currentAddress_; }
  int32_t CurrentQuery() const { return currentQuery_; }
  int32_t ProgressMaximum() const { return progressMaximum_; }
  int32_t ProgressPosition() const { return progressPosition_; }

private:
  // What one datagram did: the parser's result, and the live record that
  // holds it now (none while its server waits in the pending list).
  struct TDispatched {
    int32_t Result = 0;
    const TServer* Listed = nullptr;
  };

  // SendNextQuery for a tick: an error is traced and counts as a step sent,
  // so the step timer carries the cycle on.
  bool NextStep() noexcept;
  void SendPacket(const TAddress& owner, int32_t step, intptr_t challenge, const std::string& host,
                  int32_t port, int32_t& context);
  void SendDatagram(const std::string& host, int32_t port, const std::string& packet);
  void ReceiveDatagram(const std::string& senderIp, int32_t senderPort, const std::string& bytes);
  TDispatched Dispatch(const TAddress& address, const std::string& senderIp, int32_t gamePort,
                       const std::string& data);
  // Whether the datagram ends the step: the early advance.
  bool StepAnswered(const TAddress& address, const TDispatched& dispatched) const;
  bool AwaitsNextRequest(const TAddress& address, const TServer& server) const;
  void CutCycleShort();
  void SetProgress(int32_t position, int32_t maximum);
  // The trace is a debugging aid: a line that cannot be written changes nothing.
  void Trace(const std::string& line) noexcept;
  void TraceError(const char* where, const std::exception& error) noexcept;

  TAddressList& addresses_;
  TServerList& servers_;
  TServerList& knownServers_;
  TServerList& pendingServers_;
  TServerRoles roles_;
  IPollPorts& ports_;

  bool polling_ = false;
  bool manualOnly_ = false;
  int32_t currentAddress_ = 0;
  int32_t currentQuery_ = -1;
  bool perServerQuery_ = false;
  int32_t progressMaximum_ = 100;
  int32_t progressPosition_ = 0;
  bool slowPoll_ = false;
  bool paused_ = false;
  bool cycleDue_ = false; // a cycle was cut short or skipped while paused
  // The timer periods as last applied (design-time values until then); the
  // cycle period is the raised one, and servers go stale by it.
  int32_t cycleInterval_ = 3000;
  int32_t stepInterval_ = 100;
};
