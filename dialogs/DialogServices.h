#pragma once

#include <QIcon>
#include <QString>

#include <cstdint>
#include <optional>

#include "games/game.h"

// What the dialogs use of the program's shared services: the file pickers
// and the game-type image list. The data module provides them; tests give
// scripted answers.
class IDialogServices {
public:
  virtual ~IDialogServices() = default;

  // Each gives the chosen file's full path, or nothing when the user cancels.
  virtual std::optional<QString> SelectIconFile() = 0;
  virtual std::optional<QString> SelectSoundFile() = 0;
  virtual std::optional<QString> SelectLogFile() = 0;
  // A game's executable, offering `defaultName`; the picker's title names the game.
  virtual std::optional<QString> SelectExecutableFile(const QString& defaultName,
                                                      const QString& gameTitle) = 0;

  // Where icon files become images, and the image at an index (a null icon
  // when there is none).
  virtual IGameIcons& GameIcons() = 0;
  virtual QIcon GameImage(int32_t index) const = 0;
};
