#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

#include "app/GameImages.h"
#include "app/UpdateCheck.h"
#include "dialogs/DialogServices.h"
#include "dialogs/LngINISupp.h"

class QFileDialog;

// The data module: shared non-visual services of the program.
class Tdm : public QObject, public IDialogServices {
  Q_OBJECT
public:
  // stamp: the build stamp, which becomes the default date of the last update check.
  explicit Tdm(double stamp, QObject* parent = nullptr);
  ~Tdm() override;

  // The three pickers share one file dialog; each gives the chosen path, or
  // nothing when the user cancels.
  std::optional<QString> SelectIconFile() override;
  std::optional<QString> SelectSoundFile() override;
  std::optional<QString> SelectLogFile() override;
  // A game's executable, offering the game's usual file name; the title
  // names the game.
  std::optional<QString> SelectExecutableFile(const QString& defaultName,
                                              const QString& gameTitle) override;
  IGameIcons& GameIcons() override { return GameImages; }
  QIcon GameImage(int32_t index) const override { return GameImages.Image(index); }

  // Opens a file with the program the desktop associates with it.
  void OpenDocument(const QString& path);
  void OpenHomepage();
  static QString Homepage();

  // The windows' language file; the message lookup (MIS) follows it.
  TLngINISupp LIS;
  // Reopens the messages in the language of LIS. Messages looked up before
  // the first call keep their built-in texts without a word: no language
  // has been chosen yet.
  void OpenMessages();
  // At the window's end: the language is forgotten, and messages fall back
  // to their built-in texts without a word.
  void CloseMessages();
  // The game-type image list: the seven built-in images, then icon files.
  TGameImages GameImages;
  // Whether the desktop has a notification area now (GNOME without extensions
  // and plain window managers have none); tests put their own answer here.
  std::function<bool()> NotificationAreaAvailable;
  // The update client: the cycle tick's automatic check and "Check now".
  TUpdateCheck UpdateCheck;
  // Runs when start-up has just made the settings file, before reading it;
  // a test of the first start writes its loopback addresses here.
  std::function<void()> IniFileCreated;

private:
  std::optional<QString> SelectFile(const QString& title, const QString& filter,
                                    const QString& fileName = QString());

  std::unique_ptr<QFileDialog> od_;
};
