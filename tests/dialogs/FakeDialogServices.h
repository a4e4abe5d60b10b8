#pragma once

#include <QIcon>
#include <QString>

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "dialogs/DialogServices.h"

// Pickers that answer from a script (nothing when it runs out) and an image
// list that only counts: an icon file "loads" when its name ends in ".ico"
// and the file exists.
class TFakeDialogServices : public IDialogServices, public IGameIcons {
public:
  std::deque<std::optional<QString>> Answers;
  std::vector<QString> Asked; // "icon", "sound", "log", "exe:<default>:<title>"
  std::vector<std::string> IconsLoaded;

  std::optional<QString> SelectIconFile() override { return Answer(QStringLiteral("icon")); }
  std::optional<QString> SelectSoundFile() override { return Answer(QStringLiteral("sound")); }
  std::optional<QString> SelectLogFile() override { return Answer(QStringLiteral("log")); }
  std::optional<QString> SelectExecutableFile(const QString& defaultName,
                                              const QString& gameTitle) override {
    return Answer(QStringLiteral("exe:") + defaultName + QStringLiteral(":") + gameTitle);
  }
  IGameIcons& GameIcons() override { return *this; }
  QIcon GameImage(int32_t) const override { return {}; }

  int32_t AddIconFile(const std::string& path) override;

private:
  std::optional<QString> Answer(const QString& what);
};
