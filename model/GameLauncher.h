#pragma once

#include <optional>
#include <string>

// What starting a game asks of the user interface.
class IGameLauncher {
public:
  virtual ~IGameLauncher() = default;

  // Asks the user for a game executable; nothing when cancelled.
  virtual std::optional<std::string> SelectExecutable(const std::string& defaultName) = 0;
  // Starts the program in `folder`; true when it started.
  virtual bool StartGame(const std::string& executable, const std::string& parameters,
                         const std::string& folder) = 0;
};
