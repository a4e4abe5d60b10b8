// The server lists and the routing of a reply to the server it comes from.

#include <cmath>
#include <cstdint>
#include <utility>

#include "config/IniFile.h"
#include "config/SettingsFile.h"
#include "model/server.h"

namespace {

const char* const kSection = "Description";

// Unreal ports that older versions stored one above the game port.
constexpr int32_t kUnrealPort = 7777;

constexpr double kMillisecondsPerDay = 86400000.0;

// The two Unreal types are the first two of the registry.
bool IsUnreal(int32_t gameId) {
  return gameId == 0 || gameId == 1;
}

} // namespace

TServer* TServerList::Find(const std::string& host, int32_t port, int32_t gameId) const {
  if (TServer* server = index_.Find(host, port, gameId))
    return server;
  for (const auto& server : items_)
    if (server->Host == host && server->Port == port && server->Id == gameId) {
      index_.Insert(*server);
      return server.get();
    }
  return nullptr;
}

void TServerList::Add(std::unique_ptr<TServer> server) {
  index_.Insert(*server);
  items_.push_back(std::move(server));
}

void TServerList::Delete(int32_t index) {
  index_.Erase(*items_.at(static_cast<std::size_t>(index)));
  items_.erase(items_.begin() + index);
}

void TServerList::LoadFromIni(const TGameList& registry, const TServerRoles& roles,
                              IGameIcons* icons, bool migrate, TDateTime now) {
  Clear();
  const std::vector<TStoredEntry> entries = ReadStoredEntries(Ini(), kSection, registry);
  items_.reserve(entries.size());
  for (const TStoredEntry& entry : entries) {
    auto server = TServer::CreateFromStore(registry, roles, entry.Host, entry.Port, entry.Id, now);
    server->LoadFromStoredText(std::string(entry.Value), icons);
    items_.push_back(std::move(server));
  }
  // Indexed in a pass of its own: between the making of servers, each
  // insertion into a big index waited for memory by itself.
  index_.Reserve(items_.size());
  for (const auto& server : items_)
    index_.Insert(*server);
  if (!migrate)
    return;
  for (const auto& server : items_)
    if (IsUnreal(server->Id) && server->Port != 0 && server->Port != kUnrealPort)
      --server->Port;
  SaveToIni();
}

void TServerList::SaveToIni() const {
  WithIni([&] {
    Ini().EraseSection(kSection);
    for (const auto& server : items_)
      server->SaveProperties(Ini());
  });
}

void TServerList::ResetCycle() {
  for (const auto& server : items_)
    server->AnsweredInCycle = false;
}

void TServerList::ResetPass() {
  for (const auto& server : items_) {
    server->AnsweredInPass = false;
    server->Challenge = 0;
  }
}

void TServerList::CommitAnswered(TDateTime now) {
  for (const auto& server : items_)
    if (server->AnsweredInPass) {
      // A server listed on part of an answer that never completed is
      // announced now, with whatever name it gave.
      server->AnnounceOnline();
      server->CommitPass(now);
    }
}

void TServerList::MarkSilentOffline() {
  for (const auto& server : items_)
    if (!server->AnsweredInCycle)
      server->SetOnline(false);
}

void TServerList::RemoveExpired(TDateTime now, int32_t intervalMs) {
  // Whole seconds, as the threshold is defined; compared in milliseconds so a
  // silence of exactly the threshold is not lost to rounding of the day fraction.
  const int64_t thresholdMs = static_cast<int64_t>(intervalMs / 1000) * 2 * 1000;
  for (int32_t i = Count() - 1; i >= 0; --i) {
    TServer& server = Items(i);
    if (std::llround((now - server.LastReply) * kMillisecondsPerDay) > thresholdMs) {
      server.NotifyOffline();
      Delete(i);
    }
  }
}

int32_t TServerList::OnlineCount() const {
  int32_t count = 0;
  for (const auto& server : items_)
    if (server->Online)
      ++count;
  return count;
}

int32_t TServerList::CommonOnlineCount() const {
  int32_t count = 0;
  for (const auto& server : items_)
    if (server->Online && server->TrayMode == kTrayCommonIcon)
      ++count;
  return count;
}

int32_t TServerList::CommonPlayerCount() const {
  int32_t count = 0;
  for (const auto& server : items_)
    if (server->Online && server->TrayMode == kTrayCommonIcon)
      count += server->PlayerCount();
  return count;
}

bool TServerList::AllOnlineHaveOwnIcon() const {
  bool own = false;
  for (const auto& server : items_) {
    if (!server->Online)
      continue;
    if (server->TrayMode == kTrayCommonIcon)
      return false;
    own = own || server->TrayMode == kTrayOwnIcon;
  }
  return own;
}

TServer::TReplyResult RouteReply(TServerList& live, const TServerList& known, TServerList& pending,
                                 const TServerRoles& roles, const TAddress& polled,
                                 const std::string& sourceIp, int32_t gamePort, int32_t step,
                                 const std::string& bytes, TDateTime now) {
  if (TServer* server = live.Find(sourceIp, gamePort, polled.Id))
    return server->ApplyListedReply(step, bytes, now);

  auto server = TServer::CreateFromReply(roles, sourceIp, gamePort, polled, now);
  // A known server gets its stored properties back: a copy of its entry, but
  // reporting to the caller's roles.
  if (const TServer* stored = known.Find(sourceIp, gamePort, polled.Id))
    server->Assign(*stored);
  const TServer* waiting = pending.Find(sourceIp, gamePort, polled.Id);
  server->QueryContext = waiting ? waiting->QueryContext : polled.QueryContext;
  if (waiting)
    server->TakeChallenge(*waiting);
  server->CreateParser();

  const TServer::TReplyResult result = server->ApplyReply(step, bytes, now);
  if (result.Result == SKARVEL_PARSE_NOT_OURS)
    return result;
  if (result.Listed) {
    TServer& listed = *server;
    live.Add(std::move(server));
    // Listed on the first part of a longer answer, it is announced once the
    // answer, and with it its name, is complete.
    if (result.Result == SKARVEL_PARSE_COMPLETE)
      listed.AnnounceOnline();
  } else {
    auto copy = std::make_unique<TServer>(*server);
    copy->TakeChallenge(*server);
    pending.Add(std::move(copy));
  }
  return result;
}
