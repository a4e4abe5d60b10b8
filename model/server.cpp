#include "model/server.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <filesystem>
#include <optional>
#include <string_view>
#include <utility>

#include "config/BuddyList.h"
#include "config/IniFile.h"
#include "config/MsgINISupp.h"
#include "games/ComBase.h"
#include "util/comma_text.h"
#include "util/debug_log.h"
#include "util/display_text.h"
#include "util/executable_path.h"
#include "util/text.h"

namespace {

const char* const kSection = "Description";

// A query step as a bit of the step sets; steps beyond 31 are not followed.
uint32_t StepBit(int32_t step) {
  return step >= 0 && step <= 31 ? 1u << step : 0;
}

// The next of `count` NUL-terminated texts packed back to back.
const char* NextText(const char* text) {
  return text + std::strlen(text) + 1;
}

std::string Override(const std::string& own, const std::string& game) {
  return own != game ? own : std::string();
}

std::string Flag(bool value) {
  return value ? "1" : "0";
}

bool MatchesAt(const std::string& text, std::size_t at, const std::string& pattern,
               bool ignoreCase) {
  const std::string_view candidate = std::string_view(text).substr(at, pattern.size());
  return ignoreCase ? SameTextAscii(candidate, pattern) : candidate == pattern;
}

// Every occurrence, left to right; replaced text is never searched again.
std::string ReplaceAll(const std::string& text, const std::string& pattern,
                       const std::string& replacement, bool ignoreCase) {
  std::string result;
  std::size_t i = 0;
  while (i < text.size()) {
    if (MatchesAt(text, i, pattern, ignoreCase)) {
      result += replacement;
      i += pattern.size();
    } else {
      result += text[i++];
    }
  }
  return result;
}

} // namespace

TServer::TServer(const TGameList& registry, const TServerRoles& roles, const std::string& host,
                 int32_t port, int32_t gameId, TDateTime now)
    : TAddress(registry, host, port, gameId), LastReply(now), roles_(roles) {
  TrayMode = roles_.Tray.NewServerTrayMode();
}

std::unique_ptr<TServer> TServer::CreateFromStore(const TGameList& registry,
                                                  const TServerRoles& roles,
                                                  const std::string& host, int32_t port,
                                                  int32_t gameId, TDateTime now) {
  return std::unique_ptr<TServer>(new TServer(registry, roles, host, port, gameId, now));
}

std::unique_ptr<TServer> TServer::CreateFromReply(const TServerRoles& roles,
                                                  const std::string& sourceIp, int32_t gamePort,
                                                  const TAddress& polled, TDateTime now) {
  std::unique_ptr<TServer> server(
      new TServer(polled.Registry(), roles, sourceIp, gamePort, polled.Id, now));
  // The address's description and file overrides carry over to every server behind it.
  server->TAddress::Assign(polled);
  server->Host = sourceIp;
  server->Port = gamePort;
  return server;
}

TServer::TServer(const TServer& source) : TAddress(source), roles_(source.roles_) {
  Assign(source);
}

TServer::~TServer() {
  roles_.Views.ServerDestroyed(*this);
  // A destructor must not throw, even for an icon the pool does not know.
  try {
    roles_.Tray.ReleaseTrayIcon(*this);
  } catch (const std::exception& error) {
    Trace(std::string("Tray icon: ") + error.what());
  }
}

void TServer::Assign(const TServer& source) {
  if (this == &source)
    return;
  TAddress::Assign(source);
  Popup = source.Popup;
  PlayerTips = source.PlayerTips;
  RealPlayersNumber = source.RealPlayersNumber;
  TrayMode = source.TrayMode;
  LastReply = source.LastReply;
  Players = source.Players;
  NewPlayers = source.NewPlayers;
}

void TServer::Trace(const std::string& text) noexcept {
  DebugLogQuietly(text);
}

// The callbacks run inside a plug-in's Parse: nothing may unwind through it.
void SKARVEL_REGISTER TServer::OnSetInfo(void* context, int32_t index, const char* value) {
  try {
    if (index < 0 || index >= SKARVEL_INFO_COUNT) {
      Trace("SetInfo: index " + std::to_string(index) + " out of range");
      return;
    }
    auto* self = static_cast<TServer*>(context);
    self->NewInfo[static_cast<std::size_t>(index)] = value ? value : "";
    self->NoteDelivery(1u << index, false);
  } catch (const std::exception& error) {
    Trace(std::string("SetInfo: ") + error.what());
  }
}

void SKARVEL_REGISTER TServer::OnSetInfoList(void* context, int32_t count, const char* values) {
  try {
    if (count <= 0 || !values)
      return;
    auto* self = static_cast<TServer*>(context);
    const std::size_t used =
        std::min(static_cast<std::size_t>(count), std::size_t{SKARVEL_INFO_COUNT});
    for (std::size_t i = 0; i < used; ++i, values = NextText(values))
      self->NewInfo[i] = values;
    self->NoteDelivery((1u << used) - 1, false);
  } catch (const std::exception& error) {
    Trace(std::string("SetInfoList: ") + error.what());
  }
}

void SKARVEL_REGISTER TServer::OnAddPlayer(void* context, int32_t count, const char* values) {
  try {
    if (count <= 0 || !values)
      return;
    auto* self = static_cast<TServer*>(context);
    if (self->NewPlayers.Count() >= kMaxPlayers) {
      if (!std::exchange(self->playersCut_, true))
        Trace(self->ProtocolName() + ": more than " + std::to_string(kMaxPlayers) +
              " players from " + self->HostPort() + "; the rest left out");
      return;
    }
    std::string name = values;
    int32_t frags = 0;
    if (count > 1) {
      const std::string fragsText = NextText(values);
      if (!fragsText.empty())
        frags = TryTextToInt(fragsText).value_or(0);
    }
    self->NewPlayers.Add(std::make_unique<TPlayer>(std::move(name), frags, self->now_));
    self->NoteDelivery(0, true);
  } catch (const std::exception& error) {
    Trace(std::string("AddPlayer: ") + error.what());
  }
}

void TServer::NoteDelivery(uint32_t infoFields, bool players) {
  deliveredInfo_ |= infoFields;
  const uint32_t step = StepBit(parseStep_);
  deliveringSteps_ |= step;
  if (players)
    playerSteps_ |= step;
}

void TServer::CreateParser() {
  Parser = TComRef<IGameServer>();
  if (!CreateServer)
    return;
  IGameServer* parser = nullptr;
  CreateServer(&parser, &OnSetInfo, this, &OnSetInfoList, this, &OnAddPlayer, this);
  Parser = TComRef<IGameServer>::Adopt(parser);
}

void TServer::TakeChallenge(const TServer& source) {
  const auto* bytes = reinterpret_cast<const char*>(source.Challenge);
  const bool fourBytes =
      bytes == source.challengeBytes_.data() || TGameServerBase::IsBuiltin(source.Parser.get());
  if (!bytes || !fourBytes)
    return;
  std::copy_n(bytes, challengeBytes_.size(), challengeBytes_.begin());
  Challenge = reinterpret_cast<intptr_t>(challengeBytes_.data());
}

TServer::TReplyResult TServer::ApplyReply(int32_t step, const std::string& bytes, TDateTime now) {
  now_ = now;
  if (!Parser)
    CreateParser();
  if (!Parser)
    return {};
  // A multi-packet answer accumulates over the pass; a new pass starts
  // afresh. The values of the last pass stay until a reply is accepted, since
  // the shown player count reads them.
  std::optional<std::pair<std::array<std::string, SKARVEL_INFO_COUNT>, TPlayerList>> lastPass;
  if (!AnsweredInPass) {
    lastPass.emplace(std::exchange(NewInfo, {}), std::move(NewPlayers));
    NewPlayers.Clear();
    Parser->lpVtbl->Reset(Parser.get());
    answeredSteps_ = 0;
    deliveredInfo_ = 0;
    playersCut_ = false;
  }
  intptr_t challenge = 0;
  SKARVEL_BOOL listed = 0;
  parseStep_ = step;
  const int32_t result =
      Parser->lpVtbl->Parse(Parser.get(), step, bytes.empty() ? nullptr : bytes.data(),
                            static_cast<int32_t>(bytes.size()), QueryContext, &challenge, &listed);
  parseStep_ = -1;
  if (result == SKARVEL_PARSE_COMPLETE)
    answeredSteps_ |= StepBit(step);
  if (result == SKARVEL_PARSE_NOT_OURS) {
    if (lastPass) {
      NewInfo = std::move(lastPass->first);
      NewPlayers = std::move(lastPass->second);
    }
    return {result, listed != 0};
  }

  LastReply = now;
  if (Challenge == 0)
    Challenge = challenge;
  AnsweredInPass = true;
  AnsweredInCycle = true;
  SetOnline(true);
  // The reported player count may have moved with this reply.
  roles_.Views.ServerChanged(*this);
  return {result, listed != 0};
}

TServer::TReplyResult TServer::ApplyListedReply(int32_t step, const std::string& bytes,
                                                TDateTime now) {
  const TReplyResult reply = ApplyReply(step, bytes, now);
  if (reply.Result == SKARVEL_PARSE_COMPLETE)
    AnnounceOnline();
  return reply;
}

void TServer::AnnounceOnline() {
  if (OnlineAnnounced)
    return;
  OnlineAnnounced = true;
  NotifyOnline();
}

void TServer::SetOnline(bool online) {
  if (Online == online)
    return;
  Online = online;
  roles_.Views.ServerChanged(*this);
  UpdateTrayIcon();
}

void TServer::CommitPass(TDateTime now) {
  now_ = now;
  const bool answerLost = (deliveringSteps_ & ~answeredSteps_) != 0;
  const bool playersKept = (playerSteps_ & ~answeredSteps_) != 0 && NewPlayers.Count() == 0;
  for (std::size_t i = 0; i < Info.size(); ++i)
    if (!answerLost || (deliveredInfo_ & (1u << i)))
      Info[i] = NewInfo[i];
  roles_.Views.ServerChanged(*this);
  TPlayerChanges changes;
  std::vector<std::string> buddies;
  if (!playersKept)
    changes = ComparePlayers(
        Players, NewPlayers, now,
        [this, &buddies](const std::string& name) {
          NotifyPlayerEntered(name);
          if (Buddies.Matches(name))
            buddies.push_back(name);
        },
        [this](const std::string& name) { NotifyPlayerLeft(name); });
  if (changes.Changed) {
    roles_.Views.RefreshPlayers(this);
    if (changes.FirstPlayers)
      PlayOnlineSound();
  }

  roles_.Tray.ServerCommitted(*this);

  if (Popup && PlayerTips && (!changes.Entered.empty() || !changes.Left.empty())) {
    std::string text;
    if (!changes.Entered.empty())
      text = Lookup("PlayersOnline", "Players online") + ": " + changes.Entered;
    if (!changes.Left.empty())
      text += (text.empty() ? "" : "\r\n") + Lookup("PlayersOffline", "Players offline") + ": " +
              changes.Left;
    ShowPopup(text, ToUtf8(DisplayName()) + " (" + UpperAscii(Defs.Tag) + ")");
  }
  // Last, so its balloon is the one left standing; the sound has just
  // played when the buddies are the server's first players.
  if (!buddies.empty())
    AnnounceBuddies(buddies, !changes.FirstPlayers);

  roles_.Statistics.NotifyStatistics(*this);
}

int32_t TServer::PlayerCount() const {
  if (!RealPlayersNumber && !NewInfo[SKARVEL_INFO_PLAYERS].empty())
    if (const auto reported = TryTextToInt(NewInfo[SKARVEL_INFO_PLAYERS]))
      return *reported;
  return Players.Count();
}

void TServer::FillPlayerLists(std::vector<std::string>& names,
                              std::vector<std::string>& frags) const {
  names.clear();
  frags.clear();
  for (int32_t i = 0; i < Players.Count(); ++i) {
    names.push_back(Players.Items(i).Name);
    frags.push_back(std::to_string(Players.Items(i).Frags));
  }
}

std::string TServer::StoredValue() const {
  const TGame& game = RegistryGame();
  return ToCommaText({Description, Override(IconFile, game.IconFile), Override(Sound, game.Sound),
                      Override(Log, game.Log), std::to_string(TrayMode), Flag(Popup),
                      Flag(PlayerTips), Flag(RealPlayersNumber)});
}

bool TServer::LoadFromStoredText(const std::string& text, IGameIcons* icons) {
  const std::vector<std::string> items = FromCommaText(text);
  const auto item = [&](std::size_t index) {
    return index < items.size() ? items[index] : std::string();
  };
  Description = item(0);
  IconFile = item(1);
  LoadIcon(icons);
  Sound = item(2);
  Log = item(3);

  uint8_t trayMode = kTrayCommonIcon;
  if (items.size() > 4) {
    const std::string& mode = items[4];
    if (mode.empty())
      return false;
    if (mode[0] == '1' || mode[0] == '2' || mode[0] == '3') {
      const auto value = TryTextToInt(mode);
      if (!value)
        return false;
      trayMode = static_cast<uint8_t>(*value);
    }
  }
  TrayMode = trayMode;
  // Options written by versions that did not have them yet default to on.
  const auto option = [&](std::size_t index) {
    return index >= items.size() || items[index] == "1";
  };
  Popup = option(5);
  PlayerTips = option(6);
  RealPlayersNumber = option(7);
  return true;
}

void TServer::SaveProperties(TIniFile& ini) const {
  ini.WriteString(kSection, IniKey(), StoredValue());
}

bool TServer::LaunchGame(TGameList& registry, IGameLauncher& launcher) {
  TGame* game = registry.FindById(LaunchId);
  if (!game)
    return false;
  // A bare name such as "ioquake3" is the one a distribution puts on PATH.
  std::string program = FindExecutable(game->Executable);
  if (program.empty()) {
    if (const auto chosen =
            launcher.SelectExecutable(game->Defs.DefaultExecutable, game->Defs.Title)) {
      game->Executable = *chosen;
      registry.SaveSettings();
      program = FindExecutable(game->Executable);
    }
  }
  if (program.empty()) {
    launcher.GameNotFound(game->Defs.Title, game->Executable);
    return false;
  }
  const std::string folder = std::filesystem::path(program).parent_path().string();
  return launcher.StartGame(program, LaunchParameters(game->Parameters), folder);
}

std::string TServer::LaunchParameters(const std::string& parameterTemplate) const {
  std::string parameters = ReplaceAll(parameterTemplate, "%1", HostPort(), false);
  parameters = ReplaceAll(parameters, "%ip%", Host, true);
  return ReplaceAll(parameters, "%port%", std::to_string(Port), true);
}

std::string TServer::PluginInfoBlock() const {
  std::string block;
  for (const std::string& text : Info) {
    block += text;
    block += '\0';
  }
  return block;
}

std::string TServer::PluginPlayersBlock(std::vector<int32_t>& frags) const {
  std::string block;
  frags.clear();
  for (int32_t i = 0; i < Players.Count(); ++i) {
    block += Players.Items(i).Name;
    block += '\0';
    frags.push_back(Players.Items(i).Frags);
  }
  if (block.empty())
    block += '\0';
  return block;
}
