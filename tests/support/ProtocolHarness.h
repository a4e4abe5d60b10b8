#pragma once

#include <array>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "games/plugin.h"

// Drives a protocol through its exported factories, exactly as the host does,
// and records every callback in order.
class ProtocolHarness {
public:
  struct Call {
    enum Kind { SetInfo, SetInfoList, AddPlayer } kind;
    int32_t number; // the index of SetInfo, the count of the others
    std::vector<std::string> values;
    bool operator==(const Call&) const = default;
  };
  struct Player {
    std::string name;
    std::string frags; // as delivered; empty when the count was 1
    bool operator==(const Player&) const = default;
  };

  ProtocolHarness(TCreateQuery createQuery, TCreateServer createServer) {
    createQuery(&query_);
    createServer(&server_, &OnSetInfo, this, &OnSetInfoList, this, &OnAddPlayer, this);
  }
  ~ProtocolHarness() {
    query_->lpVtbl->Release(query_);
    server_->lpVtbl->Release(server_);
  }
  ProtocolHarness(const ProtocolHarness&) = delete;
  ProtocolHarness& operator=(const ProtocolHarness&) = delete;

  int32_t PacketCount() { return query_->lpVtbl->GetPacketCount(query_); }
  bool PerServer(int32_t step) { return query_->lpVtbl->IsPerServer(query_, step) != 0; }
  // The datagram's bytes; "<none>" when the builder gave no block.
  std::string Build(int32_t step, intptr_t challengeToSend = 0) {
    HLOCAL data = nullptr;
    int32_t context = 0;
    query_->lpVtbl->BuildPacket(query_, step, challengeToSend, &data, &context);
    if (!data)
      return "<none>";
    std::string bytes(static_cast<const char*>(LocalLock(data)), LocalSize(data));
    LocalUnlock(data);
    LocalFree(data);
    return bytes;
  }

  void Reset() { server_->lpVtbl->Reset(server_); }
  int32_t Parse(const std::string& datagram, int32_t step = 0) {
    challenge = -1;
    listed = 0xEE; // the parser must set both
    return server_->lpVtbl->Parse(server_, step, datagram.empty() ? nullptr : datagram.data(),
                                  static_cast<int32_t>(datagram.size()), 0, &challenge, &listed);
  }

  // What the host would hold after the callbacks so far.
  std::array<std::string, 5> info;
  std::vector<Player> players;
  std::vector<Call> calls;
  intptr_t challenge = 0;
  SKARVEL_BOOL listed = 0;

  void ClearRecord() {
    info = {};
    players.clear();
    calls.clear();
  }

private:
  static std::vector<std::string> Split(int32_t count, const char* values) {
    std::vector<std::string> texts;
    for (int32_t i = 0; i < count; ++i) {
      texts.emplace_back(values);
      values += std::strlen(values) + 1;
    }
    return texts;
  }
  static void SKARVEL_REGISTER OnSetInfo(void* context, int32_t index, const char* value) {
    auto* self = static_cast<ProtocolHarness*>(context);
    self->calls.push_back({Call::SetInfo, index, {value}});
    if (index >= 0 && index < 5)
      self->info[static_cast<std::size_t>(index)] = value;
  }
  static void SKARVEL_REGISTER OnSetInfoList(void* context, int32_t count, const char* values) {
    auto* self = static_cast<ProtocolHarness*>(context);
    std::vector<std::string> texts = Split(count, values);
    for (std::size_t i = 0; i < texts.size() && i < 5; ++i)
      self->info[i] = texts[i];
    self->calls.push_back({Call::SetInfoList, count, std::move(texts)});
  }
  static void SKARVEL_REGISTER OnAddPlayer(void* context, int32_t count, const char* values) {
    auto* self = static_cast<ProtocolHarness*>(context);
    std::vector<std::string> texts = Split(count, values);
    self->players.push_back({texts.at(0), count > 1 ? texts.at(1) : ""});
    self->calls.push_back({Call::AddPlayer, count, std::move(texts)});
  }

  IGameQuery* query_ = nullptr;
  IGameServer* server_ = nullptr;
};
