#pragma once

class TServer;

// Where a server's committed state goes after every commit.
class IServerStatistics {
public:
  virtual ~IServerStatistics() = default;

  // Hands the server's committed state to the statistics plug-ins.
  virtual void NotifyStatistics(const TServer& server) = 0;
};

// A front end without statistics plug-ins.
class TNoServerStatistics final : public IServerStatistics {
public:
  void NotifyStatistics(const TServer&) override {}
};
