#include "app/LaunchMessages.h"

#include "dialogs/Message.h"

// A translated text takes the names by QString::arg in one pass, so a name
// that holds "%2" stays as it is. The texts quote with curly quotes: a
// straight double quote in a message marks a line break.

QString GameNotFoundText(const QString& gameTitle, const QString& executable) {
  if (executable.isEmpty())
    return Message("GameExeNotSet", "No executable is set for %1. Choose it when Go! asks for it.")
        .arg(gameTitle);
  if (!executable.contains(QLatin1Char('/')))
    return Message("GameNotOnPath", "%1 cannot be started: no program “%2” was found on PATH. "
                                    "Install the game, or choose its executable when Go! asks "
                                    "for it.")
        .arg(gameTitle, executable);
  return Message("GameFileMissing", "%1 cannot be started: the file “%2” does not exist. Choose "
                                    "the game's executable when Go! asks for it.")
      .arg(gameTitle, executable);
}

QString GameNotStartedText(const QString& executable) {
  return Message("GameNotStarted",
                 "“%1” could not be started. Check that it is a program you may run.")
      .arg(executable);
}
