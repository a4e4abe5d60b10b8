#pragma once

#include <string>

class TServer;

// The sound and the event lines of a server's events.
class IServerNotifications {
public:
  virtual ~IServerNotifications() = default;

  // Plays the file asynchronously, cutting off a sound still playing.
  virtual void PlaySound(const std::string& path) = 0;
  // Every event line (online, offline, entered, left), as the event log gets
  // it, whether or not logging is on; the console front end prints them.
  virtual void EventLine(const TServer& server, const std::string& line) = 0;
  // A player on the buddy list entered the server; `text` is the announcement
  // in the chosen language. The balloon and the sound are the server's own
  // doing; this is for whatever else a front end tells.
  virtual void BuddyEntered(const TServer& server, const std::string& player,
                            const std::string& text) = 0;
};
