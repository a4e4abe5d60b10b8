#include "poll/PollEngine.h"

#include <algorithm>
#include <cstddef>
#include <limits>
#include <utility>

namespace {

// Longer packets are cut; longer datagrams are read only this far.
constexpr std::size_t kMaxSentBytes = 256;
// No more of a builder's block is taken (and traced): the most a UDP
// datagram holds.
constexpr std::size_t kMaxPacketBytes = 65507;
constexpr std::size_t kMaxReadBytes = 2048;
// Routing compares this many trailing characters of host and sender.
constexpr std::size_t kRoutingTail = 4;

const std::string kStepLine(16, '-');
const std::string kCycleEndLine(32, '=');

// A builder may hand back this handle to say "no packet"; it is no block.
const HLOCAL kInvalidBlock = reinterpret_cast<HLOCAL>(static_cast<intptr_t>(-1));

// The last (at most) four characters: shorter texts compare whole.
std::string RoutingTail(const std::string& text) {
  return text.substr(text.size() - std::min(kRoutingTail, text.size()));
}

bool IsBroadcast(const std::string& host) {
  return host.size() >= 5 && host.ends_with(".255");
}

// What a builder made: at most kMaxPacketBytes of its block, the block's size
// and the context it gave. No block, or an empty one, is no packet.
struct TBuiltPacket {
  std::string Bytes;
  std::size_t BlockSize = 0;
  int32_t Context = 0;
};

TBuiltPacket BuildPacket(IGameQuery& query, int32_t step, intptr_t challenge) {
  TBuiltPacket built;
  HLOCAL block = nullptr;
  query.lpVtbl->BuildPacket(&query, step, challenge, &block, &built.Context);
  if (!block || block == kInvalidBlock)
    return built;
  if (const auto* bytes = static_cast<const char*>(LocalLock(block))) {
    built.BlockSize = LocalSize(block);
    built.Bytes.assign(bytes, std::min(built.BlockSize, kMaxPacketBytes));
    LocalUnlock(block);
  }
  LocalFree(block);
  return built;
}

} // namespace

TPollEngine::TPollEngine(TAddressList& addresses, TServerList& servers, TServerList& knownServers,
                         TServerList& pendingServers, const TServerRoles& roles, IPollPorts& ports)
    : addresses_(addresses), servers_(servers), knownServers_(knownServers),
      pendingServers_(pendingServers), roles_(roles), ports_(ports) {
}

void TPollEngine::ApplyTimerSettings(const TPollSettings& settings) {
  manualOnly_ = settings.Interval == 0;
  slowPoll_ = settings.SlowPoll;
  // A whole cycle must fit in one period.
  const int64_t cycleLength =
      static_cast<int64_t>(addresses_.QueryStepCount()) * settings.MaxWaitAnswer;
  cycleInterval_ = settings.Interval;
  if (cycleLength > cycleInterval_)
    cycleInterval_ =
        static_cast<int32_t>(std::min<int64_t>(cycleLength, std::numeric_limits<int32_t>::max()));
  stepInterval_ = settings.MaxWaitAnswer;
  ports_.SetCycleTimer(!manualOnly_, cycleInterval_);
}

void TPollEngine::Timer1Timer() {
  try {
    ports_.CheckUpdatesIfDue();
    // The update check may dispatch events: a cycle may have started meanwhile.
    if (polling_)
      return;
    if (paused_) {
      cycleDue_ = true;
      return;
    }
    SetProgress(progressPosition_, std::max(1, addresses_.QueryStepCount()));
    if (addresses_.Count() == 0)
      return;
    polling_ = true;
    SetProgress(1, progressMaximum_);
    currentAddress_ = 0;
    currentQuery_ = -1;
    pendingServers_.Clear();
    servers_.ResetPass();
    servers_.ResetCycle();
    if (NextStep())
      ports_.SetStepTimer(true, stepInterval_);
    else
      FinishCycle();
  } catch (const std::exception& error) {
    TraceError("Cycle tick", error);
  }
}

void TPollEngine::tmSubTimer() {
  // A tick still queued when the cycle ended has nothing to do.
  if (!polling_)
    return;
  try {
    if (paused_) {
      CutCycleShort();
      return;
    }
    // Arming a running timer restarts it: the next step comes a full wait
    // after this one, also when this one came early.
    ports_.SetStepTimer(true, stepInterval_);
    if (NextStep())
      SetProgress(progressPosition_ + 1, progressMaximum_);
    else
      FinishCycle();
  } catch (const std::exception& error) {
    TraceError("Step tick", error);
  }
}

bool TPollEngine::NextStep() noexcept {
  try {
    return SendNextQuery();
  } catch (const std::exception& error) {
    TraceError("Query", error);
    return true;
  }
}

bool TPollEngine::SendNextQuery() {
  Trace(kStepLine);
  while (currentAddress_ < addresses_.Count()) {
    TAddress& address = addresses_.Items(currentAddress_);
    if (address.Enabled) {
      ++currentQuery_;
      if (currentQuery_ == 0 && address.ReportedPacketCount() > TAddress::kMaxQuerySteps)
        Trace(address.ProtocolName() + ": " + std::to_string(address.ReportedPacketCount()) +
              " query steps cut to " + std::to_string(TAddress::kMaxQuerySteps));
      if (currentQuery_ < address.PacketCount()) {
        Trace("qry " + address.Host + ":" + std::to_string(address.Port) + " " + address.Defs.Key);
        perServerQuery_ =
            address.Query->lpVtbl->IsPerServer(address.Query.get(), currentQuery_) != 0;
        if (perServerQuery_) {
          // Each server that answered in this pass gets its own packet, with
          // its own challenge.
          address.QueryContext = 0;
          for (int32_t i = 0; i < servers_.Count(); ++i) {
            TServer& server = servers_.Items(i);
            if (server.AnsweredInPass)
              SendPacket(server, currentQuery_, server.Challenge, server.Host,
                         server.Port + server.Defs.QueryPortOffset, server.QueryContext);
          }
        } else {
          SendPacket(address, currentQuery_, 0, address.Host,
                     address.Port + address.Defs.QueryPortOffset, address.QueryContext);
          for (int32_t i = 0; i < servers_.Count(); ++i) {
            TServer& server = servers_.Items(i);
            if (server.AnsweredInPass)
              server.QueryContext = address.QueryContext;
          }
        }
        return true;
      }
      servers_.CommitAnswered(ports_.Now());
    }
    currentQuery_ = -1;
    ++currentAddress_;
    pendingServers_.Clear();
    servers_.ResetPass();
  }
  return false;
}

void TPollEngine::SendPacket(const TAddress& owner, int32_t step, intptr_t challenge,
                             const std::string& host, int32_t port, int32_t& context) {
  IGameQuery* query = owner.Query.get();
  if (!query)
    return;
  const TBuiltPacket built = BuildPacket(*query, step, challenge);
  if (built.BlockSize > kMaxPacketBytes)
    Trace(owner.ProtocolName() + ": a packet of " + std::to_string(built.BlockSize) +
          " bytes cut to " + std::to_string(kMaxPacketBytes));
  // Zero bytes cannot be sent: no packet, and the step stays taken.
  if (built.Bytes.empty())
    return;
  context = built.Context;
  SendDatagram(host, port, built.Bytes);
}

void TPollEngine::SendDatagram(const std::string& host, int32_t port, const std::string& packet) {
  Trace("->" + host + ":" + std::to_string(port) + " " + packet);
  ports_.SendDatagram(host, port, packet.substr(0, kMaxSentBytes));
}

void TPollEngine::FinishCycle() {
  Trace(kCycleEndLine);
  polling_ = false;
  SetProgress(0, progressMaximum_);
  ports_.SetStepTimer(false, stepInterval_);
  servers_.MarkSilentOffline();
  ports_.RefreshServers();
  const int32_t before = servers_.Count();
  servers_.RemoveExpired(ports_.Now(), cycleInterval_);
  // The views must not keep rows of the records just dropped.
  if (servers_.Count() != before)
    ports_.RefreshServers();
}

void TPollEngine::UDPDataReceived(int32_t byteCount, const std::string& senderIp,
                                  int32_t senderPort, const std::string& bytes) {
  // A negative count is a failed receive.
  if (!polling_ || byteCount < 0 || currentAddress_ >= addresses_.Count())
    return;
  try {
    ReceiveDatagram(senderIp, senderPort, bytes);
  } catch (const std::exception& error) {
    TraceError("Datagram", error);
  }
}

void TPollEngine::ReceiveDatagram(const std::string& senderIp, int32_t senderPort,
                                  const std::string& bytes) {
  const TAddress& address = addresses_.Items(currentAddress_);
  const bool broadcast = IsBroadcast(address.Host);
  // The only routing test against the address; the lookup below is exact.
  if (!broadcast && RoutingTail(address.Host) != RoutingTail(senderIp))
    return;
  const std::string data = bytes.substr(0, kMaxReadBytes);
  Trace(" <" + senderIp + ":" + std::to_string(senderPort) + " " + data);

  const int32_t gamePort = senderPort - address.Defs.QueryPortOffset;
  const TDispatched dispatched = Dispatch(address, senderIp, gamePort, data);
  ports_.RefreshServers();
  // The servers behind a broadcast address may still be answering.
  if (!slowPoll_ && !broadcast && StepAnswered(address, dispatched))
    tmSubTimer();
}

// A complete answer ends the step, also one that leaves its server pending.
// So does a challenge taken as part of an answer: the server says nothing
// more until a request carries it.
bool TPollEngine::StepAnswered(const TAddress& address, const TDispatched& dispatched) const {
  if (dispatched.Result == SKARVEL_PARSE_COMPLETE)
    return true;
  return dispatched.Result == SKARVEL_PARSE_PARTIAL && dispatched.Listed &&
         AwaitsNextRequest(address, *dispatched.Listed);
}

// The engine cannot read a challenge, only see what it asks for: the server's
// next request, one of its own, changes with the challenge value its parser
// reported. A builder whose requests differ anyway shows nothing.
bool TPollEngine::AwaitsNextRequest(const TAddress& address, const TServer& server) const {
  IGameQuery* query = server.Query.get();
  const int32_t next = currentQuery_ + 1;
  if (!query || server.Challenge == 0 || next >= address.PacketCount() ||
      query->lpVtbl->IsPerServer(query, next) == 0)
    return false;
  const std::string plain = BuildPacket(*query, next, 0).Bytes;
  return plain == BuildPacket(*query, next, 0).Bytes &&
         BuildPacket(*query, next, server.Challenge).Bytes != plain;
}

TPollEngine::TDispatched TPollEngine::Dispatch(const TAddress& address, const std::string& senderIp,
                                               int32_t gamePort, const std::string& data) {
  TServer* server = servers_.Find(senderIp, gamePort, address.Id);
  // A per-server query went only to the servers that answered in this pass:
  // nothing else can be answering it.
  if (perServerQuery_ && (!server || !server->AnsweredInPass))
    return {};
  if (server) {
    // A per-server query left each server its own context.
    if (!perServerQuery_)
      server->QueryContext = address.QueryContext;
    const int32_t result = server->ApplyListedReply(currentQuery_, data, ports_.Now()).Result;
    Trace("exs " + server->Defs.Key + ",res=" + std::to_string(result));
    return {result, result == SKARVEL_PARSE_NOT_OURS ? nullptr : server};
  }
  const TServer::TReplyResult reply =
      RouteReply(servers_, knownServers_, pendingServers_, roles_, address, senderIp, gamePort,
                 currentQuery_, data, ports_.Now());
  // The new record is of the address's game.
  Trace("new " + address.Defs.Key + ",res=" + std::to_string(reply.Result));
  const bool listed = reply.Result != SKARVEL_PARSE_NOT_OURS && reply.Listed;
  return {reply.Result, listed ? servers_.Find(senderIp, gamePort, address.Id) : nullptr};
}

void TPollEngine::Refresh() {
  if (polling_)
    return;
  ports_.SetCycleTimer(false, cycleInterval_);
  ports_.SetCycleTimer(!manualOnly_, cycleInterval_);
  Timer1Timer();
}

void TPollEngine::Pause() {
  paused_ = true;
}

void TPollEngine::Resume() {
  paused_ = false;
  if (std::exchange(cycleDue_, false))
    Refresh();
}

void TPollEngine::CutCycleShort() {
  Trace(kCycleEndLine);
  polling_ = false;
  cycleDue_ = true;
  SetProgress(0, progressMaximum_);
  ports_.SetStepTimer(false, stepInterval_);
  // The answers of this step count; silence counts only over a whole cycle.
  servers_.CommitAnswered(ports_.Now());
  ports_.RefreshServers();
}

void TPollEngine::SetProgress(int32_t position, int32_t maximum) {
  if (position == progressPosition_ && maximum == progressMaximum_)
    return;
  progressPosition_ = position;
  progressMaximum_ = maximum;
  ports_.SetProgress(position, maximum);
}

void TPollEngine::Trace(const std::string& line) noexcept {
  try {
    ports_.Trace(line);
  } catch (...) {
    // Nothing to do: the trace is only a debugging aid.
  }
}

void TPollEngine::TraceError(const char* where, const std::exception& error) noexcept {
  try {
    Trace(std::string(where) + ": " + error.what());
  } catch (...) {
    // Building the line failed (out of memory): there is nothing left to report.
  }
}
