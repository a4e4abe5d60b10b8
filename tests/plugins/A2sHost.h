#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "games/plugin.h"
#include "tests/plugins/A2sPlugin.h"

// One server as the host drives it through plugin.h: a builder and a parser
// from the plug-in's factories, the parser's Reset before the first datagram
// of a poll, the first non-zero challenge of the poll kept and handed to the
// builder for the per-server steps, and the callbacks recorded.
class A2sHost {
public:
  struct Player {
    std::string name;
    std::string frags;
    bool operator==(const Player&) const = default;
  };

  A2sHost() {
    const A2sPlugin& plugin = A2sPlugin::Get();
    plugin.CreateQuery(&query_);
    plugin.CreateServer(&server_, &OnSetInfo, this, &OnSetInfoList, this, &OnAddPlayer, this);
  }
  ~A2sHost() {
    query_->lpVtbl->Release(query_);
    server_->lpVtbl->Release(server_);
  }
  A2sHost(const A2sHost&) = delete;
  A2sHost& operator=(const A2sHost&) = delete;

  int32_t PacketCount() { return query_->lpVtbl->GetPacketCount(query_); }
  bool PerServer(int32_t step) { return query_->lpVtbl->IsPerServer(query_, step) != 0; }

  // The datagram of a step, built with the stored challenge on the server's
  // own steps; "<none>" when the builder gave no block.
  std::string Request(int32_t step) { return Build(step, PerServer(step) ? storedChallenge : 0); }
  std::string Build(int32_t step, intptr_t withChallenge) {
    HLOCAL data = nullptr;
    int32_t context = 0;
    query_->lpVtbl->BuildPacket(query_, step, withChallenge, &data, &context);
    if (!data)
      return "<none>";
    std::string bytes(static_cast<const char*>(LocalLock(data)), LocalSize(data));
    LocalUnlock(data);
    LocalFree(data);
    return bytes;
  }

  // The next poll of the server's address begins.
  void NewPoll() {
    answered_ = false;
    storedChallenge = 0;
  }
  // One datagram, in a heap block of exactly its size so that a read past it
  // is an error under the sanitizers.
  int32_t Receive(int32_t step, const std::string& datagram) {
    if (!answered_) {
      info = {};
      players.clear();
      server_->lpVtbl->Reset(server_);
    }
    std::vector<char> exact(datagram.begin(), datagram.end());
    challenge = -1;
    SKARVEL_BOOL listedFlag = 0xEE; // the parser must set both
    const int32_t result =
        server_->lpVtbl->Parse(server_, step, exact.empty() ? nullptr : exact.data(),
                               static_cast<int32_t>(exact.size()), 0, &challenge, &listedFlag);
    listed = listedFlag;
    if (result != SKARVEL_PARSE_NOT_OURS) {
      answered_ = true;
      if (storedChallenge == 0)
        storedChallenge = challenge;
    }
    return result;
  }

  std::array<std::string, SKARVEL_INFO_COUNT> info;
  std::vector<Player> players;
  int32_t callbacks = 0; // every callback call, ever
  intptr_t challenge = 0;
  SKARVEL_BOOL listed = 0;
  intptr_t storedChallenge = 0;

private:
  static std::vector<std::string> Texts(int32_t count, const char* values) {
    std::vector<std::string> texts;
    for (int32_t i = 0; i < count; ++i) {
      texts.emplace_back(values);
      values += std::strlen(values) + 1;
    }
    return texts;
  }
  static void SKARVEL_REGISTER OnSetInfo(void* context, int32_t index, const char* value) {
    auto* self = static_cast<A2sHost*>(context);
    ++self->callbacks;
    self->info.at(static_cast<std::size_t>(index)) = value;
  }
  static void SKARVEL_REGISTER OnSetInfoList(void* context, int32_t count, const char* values) {
    auto* self = static_cast<A2sHost*>(context);
    ++self->callbacks;
    const std::vector<std::string> texts = Texts(count, values);
    for (std::size_t i = 0; i < texts.size() && i < self->info.size(); ++i)
      self->info[i] = texts[i];
  }
  static void SKARVEL_REGISTER OnAddPlayer(void* context, int32_t count, const char* values) {
    auto* self = static_cast<A2sHost*>(context);
    ++self->callbacks;
    const std::vector<std::string> texts = Texts(count, values);
    self->players.push_back({texts.at(0), count > 1 ? texts.at(1) : ""});
  }

  IGameQuery* query_ = nullptr;
  IGameServer* server_ = nullptr;
  bool answered_ = false;
};
