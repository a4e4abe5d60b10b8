#include "app/LaunchMessages.h"

QString GameNotFoundText(const QString& gameTitle, const QString& executable) {
  if (executable.isEmpty())
    return QStringLiteral("No executable is set for %1. Choose it when Go! asks for it.")
        .arg(gameTitle);
  if (!executable.contains(QLatin1Char('/')))
    return QStringLiteral("%1 cannot be started: no program \"%2\" was found on PATH. Install "
                          "the game, or choose its executable when Go! asks for it.")
        .arg(gameTitle, executable);
  return QStringLiteral("%1 cannot be started: the file \"%2\" does not exist. Choose the "
                        "game's executable when Go! asks for it.")
      .arg(gameTitle, executable);
}

QString GameNotStartedText(const QString& executable) {
  return QStringLiteral("\"%1\" could not be started. Check that it is a program you may run.")
      .arg(executable);
}
