// The events of a server and the channels they use: event log lines,
// balloons, the online sound and the server's own tray icon. Texts from game
// servers are joined by concatenation only, never used as formats.
//
// Event log lines keep the server's bytes as they came. Announcements join
// texts of the chosen language (UTF-8) with the server's, which may be
// Windows-1252: each server text is decoded on its own first, so the whole
// is UTF-8 and neither part turns the other into mojibake.

#include <exception>

#include "config/MsgINISupp.h"
#include "config/StatsLog.h"
#include "model/server.h"
#include "util/data_folders.h"
#include "util/display_text.h"
#include "util/placeholders.h"

void TServer::NotifyOnline() {
  // Announced before its first commit: the name is that of the answer of
  // this pass, not yet committed.
  LogEvent(Defs.ShortName + " server \"" + NewInfo[SKARVEL_INFO_NAME] + "\" (" + HostPort() +
           ") is online");
  if (Popup)
    ShowPopup(ToUtf8(Defs.ShortName) + " " + Lookup("Server", "server") + " \"" +
                  ToUtf8(NewInfo[SKARVEL_INFO_NAME]) + "\" (" + HostPort() + ") " +
                  Lookup("IsOnline", "is online"),
              "Skarvel");
}

void TServer::NotifyOffline() {
  LogEvent(Defs.ShortName + " server \"" + Info[SKARVEL_INFO_NAME] + "\" (" + HostPort() +
           ") is offline");
}

void TServer::NotifyPlayerEntered(const std::string& name) {
  LogEvent("Player " + name + " entered " + Defs.ShortName + " server \"" +
           Info[SKARVEL_INFO_NAME] + "\" (" + HostPort() + ")");
}

void TServer::NotifyPlayerLeft(const std::string& name) {
  LogEvent("Player " + name + " left " + Defs.ShortName + " server \"" + Info[SKARVEL_INFO_NAME] +
           "\" (" + HostPort() + ")");
}

void TServer::ShowPopup(const std::string& text, const std::string& title) {
  // The tray decides whether balloons show at all, and at which icon.
  if (Online)
    roles_.Tray.ShowBalloon(*this, title, text);
}

void TServer::LogEvent(const std::string& text) {
  roles_.Notifications.EventLine(*this, text);
  // A log that cannot be written must not stop the commit or the poll cycle.
  try {
    AppendLogLine(EffectiveLog(), text);
  } catch (const std::exception& error) {
    Trace(std::string("Event log: ") + error.what());
  } catch (...) {
    Trace("Event log: unknown error");
  }
}

void TServer::PlayOnlineSound() {
  const std::string sound = EffectiveSound();
  if (!sound.empty())
    roles_.Notifications.PlaySound(FindDataFile(TDataKind::Sound, sound));
}

void TServer::UpdateTrayIcon() {
  roles_.Tray.UpdateTrayIcon(*this);
}

std::string TServer::BuddyJoinedText(const std::string& name) const {
  // Curly quotes: a straight one is a line-break marker in message files.
  return FillPlaceholders(Lookup("BuddyJoined", "%1 joined %2 server “%3” (%4, %5/%6)"),
                          {ToUtf8(name), ToUtf8(Defs.ShortName), ToUtf8(Info[SKARVEL_INFO_NAME]),
                           ToUtf8(Info[SKARVEL_INFO_MAP]), std::to_string(PlayerCount()),
                           ToUtf8(Info[SKARVEL_INFO_MAX_PLAYERS])});
}

void TServer::AnnounceBuddies(const std::vector<std::string>& names, bool withSound) {
  std::string balloon;
  for (const std::string& name : names) {
    const std::string text = BuddyJoinedText(name);
    roles_.Notifications.BuddyEntered(*this, name, text);
    balloon += (balloon.empty() ? "" : "\r\n") + text;
  }
  ShowPopup(balloon, "Skarvel");
  if (withSound)
    PlayOnlineSound();
}
