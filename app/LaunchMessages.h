#pragma once

#include <QString>

// What the user reads when Go! cannot start a game.

// The game's executable is not set, not a file, or (a bare name) not on PATH.
QString GameNotFoundText(const QString& gameTitle, const QString& executable);
// The executable exists but the system would not start it.
QString GameNotStartedText(const QString& executable);
