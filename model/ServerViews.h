#pragma once

class TServer;

// What the views of servers and players hear from the servers.
class IServerViews {
public:
  virtual ~IServerViews() = default;

  // A shown field of a server may have changed: it went online or offline,
  // answered, or committed its info and players. Lets the views redraw only
  // what changed.
  virtual void ServerChanged(const TServer& server) = 0;
  // The record is about to be destroyed: drop every reference to it.
  virtual void ServerDestroyed(const TServer& server) = 0;
  // Rebuild the player view when `server` is the one shown.
  virtual void RefreshPlayers(const TServer* server) = 0;
};

// A front end without views.
class TNoServerViews final : public IServerViews {
public:
  void ServerChanged(const TServer&) override {}
  void ServerDestroyed(const TServer&) override {}
  void RefreshPlayers(const TServer*) override {}
};
