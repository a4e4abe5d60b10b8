#pragma once

#include <optional>
#include <string>

// What starting a game asks of the user interface.
class IGameLauncher {
public:
  virtual ~IGameLauncher() = default;

  // Asks the user for the executable of the game titled `gameTitle`,
  // offering `defaultName`; nothing when cancelled.
  virtual std::optional<std::string> SelectExecutable(const std::string& defaultName,
                                                      const std::string& gameTitle) = 0;
  // Starts the program in `folder`; true when it started.
  virtual bool StartGame(const std::string& executable, const std::string& parameters,
                         const std::string& folder) = 0;
  // The game's executable is neither a file nor found on PATH (empty: none
  // is set), so nothing starts; the user learns why.
  virtual void GameNotFound(const std::string& gameTitle, const std::string& executable) = 0;
};
