#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "games/ComRef.h"
#include "games/plugin.h"
#include "model/EndpointIndex.h"
#include "model/GameLauncher.h"
#include "model/ServerRoles.h"
#include "model/address.h"
#include "model/player.h"
#include "model/tray_mode.h"
#include "util/datetime.h"

class TIniFile;

// One server that has answered: its latest information and players, its own
// notification options and its place in the online → silent → absent life.
class TServer : public TAddress {
public:
  static constexpr int32_t kNoTrayIcon = -2;
  // Players taken from one pass's replies; a parser that reports more is cut
  // there, so it cannot stall the views.
  static constexpr int32_t kMaxPlayers = 4096;

  // A known server loaded from section "Description".
  static std::unique_ptr<TServer> CreateFromStore(const TGameList& registry,
                                                  const TServerRoles& roles,
                                                  const std::string& host, int32_t port,
                                                  int32_t gameId, TDateTime now);
  // A server never seen before, answering through the polled address: it
  // inherits the address's description and overrides.
  static std::unique_ptr<TServer> CreateFromReply(const TServerRoles& roles,
                                                  const std::string& sourceIp, int32_t gamePort,
                                                  const TAddress& polled, TDateTime now);
  // CreateCopy: everything Assign copies.
  TServer(const TServer& source);
  ~TServer() override; // gives its own tray icon back

  // Address fields, options, LastReply and both player lists; not Online,
  // the info texts, the parser, the challenge, the tray icon or the flags.
  void Assign(const TServer& source);

  void CreateParser();
  // Takes over the challenge of a record of the same server that goes: a new
  // responder's record goes, with its parser, once its pending copy is made,
  // and the record that lists it is made anew. The 4 bytes themselves are
  // copied, never an address inside a parser, so the server's first
  // per-server query carries them. A plug-in's challenge value is not bytes
  // the host may read and is not taken over.
  void TakeChallenge(const TServer& source);
  struct TReplyResult {
    int32_t Result = 0; // the parser's result
    bool Listed = false;
  };
  // A datagram the parser rejects leaves the server as it was.
  TReplyResult ApplyReply(int32_t step, const std::string& bytes, TDateTime now);
  // ApplyReply for a server of the live list: a complete answer announces it.
  TReplyResult ApplyListedReply(int32_t step, const std::string& bytes, TDateTime now);
  // "is online" once per record, when its name is known: at its first
  // complete answer, at the latest at its first commit.
  void AnnounceOnline();
  void SetOnline(bool online);
  // The end of an address pass in which the server answered.
  void CommitPass(TDateTime now);

  int32_t PlayerCount() const;
  void FillPlayerLists(std::vector<std::string>& names, std::vector<std::string>& frags) const;

  // Section "Description": description, files, tray mode and the three options.
  std::string StoredValue() const;
  bool LoadFromStoredText(const std::string& text, IGameIcons* icons);
  void SaveProperties(TIniFile& ini) const;

  void NotifyOnline();
  void NotifyOffline();
  void NotifyPlayerEntered(const std::string& name);
  void NotifyPlayerLeft(const std::string& name);
  // Buddies who entered in one commit: each is told to the notifications
  // role, and one balloon (whatever Popup and PlayerTips say) lists them all,
  // with the server's sound when `withSound`.
  void AnnounceBuddies(const std::vector<std::string>& names, bool withSound);
  // "Anna joined Q3 server “Arena” (q3dm17, 5/16)".
  std::string BuddyJoinedText(const std::string& name) const;
  void ShowPopup(const std::string& text, const std::string& title);
  void LogEvent(const std::string& text);
  void PlayOnlineSound();
  void UpdateTrayIcon();

  // Starts the game pointed at this server; false when nothing started.
  bool LaunchGame(TGameList& registry, IGameLauncher& launcher);
  // The parameter template with "%1", "%ip%" and "%port%" replaced.
  std::string LaunchParameters(const std::string& parameterTemplate) const;

  // For the statistics plug-ins: the five info texts, each followed by NUL;
  // the player names, each followed by NUL (a single NUL without players);
  // their frags in the same order.
  std::string PluginInfoBlock() const;
  std::string PluginPlayersBlock(std::vector<int32_t>& frags) const;

  bool Online = false;
  std::array<std::string, SKARVEL_INFO_COUNT> Info;
  TPlayerList Players;
  std::array<std::string, SKARVEL_INFO_COUNT> NewInfo;
  TPlayerList NewPlayers;
  uint8_t TrayMode = kTrayOwnIcon; // a TTrayMode, or 3 from the store
  bool Popup = false;
  bool PlayerTips = false;
  bool RealPlayersNumber = false;
  TComRef<IGameServer> Parser;
  intptr_t Challenge = 0;
  int32_t TrayIcon = kNoTrayIcon; // its own icon, a handle the tray hands out and takes back
  TDateTime LastReply = 0;
  bool AnsweredInPass = false;
  bool AnsweredInCycle = false;
  bool OnlineAnnounced = false;

private:
  TServer(const TGameList& registry, const TServerRoles& roles, const std::string& host,
          int32_t port, int32_t gameId, TDateTime now);

  static void SKARVEL_REGISTER OnSetInfo(void* context, int32_t index, const char* value);
  static void SKARVEL_REGISTER OnSetInfoList(void* context, int32_t count, const char* values);
  static void SKARVEL_REGISTER OnAddPlayer(void* context, int32_t count, const char* values);
  // DebugLog that never throws: used where an error must not propagate.
  static void Trace(const std::string& text) noexcept;
  // What a reply of the step being parsed delivers: the server learns which
  // query steps bring its info and its players.
  void NoteDelivery(uint32_t infoFields, bool players);

  TServerRoles roles_;
  std::array<char, 4> challengeBytes_{}; // Challenge points here once taken over
  TDateTime now_ = 0;                    // the time of the reply or commit being handled
  // A datagram may be lost on the way (a full receive buffer, a lossy line).
  // A step that brought info or players before and got no complete answer in
  // this pass lost its answer: what it would have brought stays as it was,
  // instead of reading as every player leaving. Steps are bits 0 to 31.
  int32_t parseStep_ = -1;       // the query step of the reply being parsed
  uint32_t deliveringSteps_ = 0; // steps whose replies have brought anything
  uint32_t playerSteps_ = 0;     // steps whose replies have brought players
  uint32_t answeredSteps_ = 0;   // steps answered completely in this pass
  uint32_t deliveredInfo_ = 0;   // info fields delivered in this pass
  bool playersCut_ = false;      // kMaxPlayers was reached in this pass
};

// Servers in insertion order; owns them.
class TServerList {
public:
  TServerList() = default;
  TServerList(const TServerList&) = delete;
  TServerList& operator=(const TServerList&) = delete;

  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  TServer& Items(int32_t index) { return *items_.at(static_cast<std::size_t>(index)); }
  const TServer& Items(int32_t index) const { return *items_.at(static_cast<std::size_t>(index)); }
  TServer* Find(const std::string& host, int32_t port, int32_t gameId) const;
  // Whether the record is this list's own (a pending or known copy of the
  // same server is not).
  bool Holds(const TServer& server) const {
    return Find(server.Host, server.Port, server.Id) == &server;
  }
  void Add(std::unique_ptr<TServer> server);
  void Delete(int32_t index);
  void Clear() {
    index_.Clear();
    items_.clear();
  }

  // Rebuilds the list from section "Description". With `migrate` (a settings
  // file without a version) Unreal ports stored one too high are corrected and
  // saved. Works inside the settings bracket.
  void LoadFromIni(const TGameList& registry, const TServerRoles& roles, IGameIcons* icons,
                   bool migrate, TDateTime now);
  void SaveToIni() const;

  void ResetCycle();
  void ResetPass();
  void CommitAnswered(TDateTime now);
  void MarkSilentOffline();
  // Walks from the last server to the first: one silent for longer than
  // 2 × (interval div 1000) seconds says "is offline" and is removed.
  void RemoveExpired(TDateTime now, int32_t intervalMs);

  int32_t OnlineCount() const;
  int32_t CommonOnlineCount() const;
  int32_t CommonPlayerCount() const;
  bool AllOnlineHaveOwnIcon() const;

private:
  std::vector<std::unique_ptr<TServer>> items_;
  // Every reply is looked up here, so a long list must not make each lookup
  // a walk over all of it. A record whose port changed after it was added is
  // still found by the walk that a miss falls back to.
  mutable TEndpointIndex<TServer> index_;
};

// A datagram from sourceIp:gamePort while `polled` is polled at `step`: it
// goes to the live server it comes from, or makes a new one (from its stored
// properties when known): listed at once ("is online") or kept pending.
TServer::TReplyResult RouteReply(TServerList& live, const TServerList& known, TServerList& pending,
                                 const TServerRoles& roles, const TAddress& polled,
                                 const std::string& sourceIp, int32_t gamePort, int32_t step,
                                 const std::string& bytes, TDateTime now);
