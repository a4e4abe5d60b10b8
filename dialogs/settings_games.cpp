// The Games page: one tab per game that has launch settings of its own.
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>

#include "dialogs/DialogServices.h"
#include "dialogs/settings.h"

namespace {

std::string Text(const QLineEdit* edit) {
  return edit->text().toStdString();
}

void SetText(QLineEdit* edit, const std::string& text) {
  edit->setText(QString::fromStdString(text));
}

} // namespace

TGame* TfrmSettings::GameOfTab(int tab) {
  if (tab < 0 || tab >= tcGames->count())
    return nullptr;
  return WorkGames.FindById(tcGames->tabData(tab).toInt());
}

void TfrmSettings::tcGamesChange(int tab) {
  StoreGame(shownTab_);
  ShowGame(tab);
}

void TfrmSettings::ShowGame(int tab) {
  shownTab_ = tab;
  const TGame* game = GameOfTab(tab);
  if (!game)
    return;
  laGameTitle->setText(QString::fromStdString(game->Defs.Title));
  SetText(edExe, game->Executable);
  SetText(edParams, game->Parameters);
  SetText(edIcon, game->IconFile);
  SetText(edSound, game->Sound);
  SetText(edLog, game->Log);
  ShowGameIcon(*game);
}

void TfrmSettings::StoreGame(int tab) {
  TGame* game = GameOfTab(tab);
  if (!game)
    return;
  game->Executable = Text(edExe);
  game->Parameters = Text(edParams);
  game->Sound = Text(edSound);
  game->Log = Text(edLog);
  // Each load adds an image to the program's list: only a new name is loaded.
  if (const std::string icon = Text(edIcon); icon != game->IconFile) {
    game->IconFile = icon;
    game->LoadIcon(&services_.GameIcons());
  }
}

void TfrmSettings::ShowGameIcon(const TGame& game) {
  imGame->setPixmap(services_.GameImage(game.IconIndex).pixmap(16, 16));
}

void TfrmSettings::btExeClick() {
  const TGame* game = GameOfTab(shownTab_);
  const QString title = game ? QString::fromStdString(game->Defs.Title) : QString();
  if (const std::optional<QString> path = services_.SelectExecutableFile(edExe->text(), title))
    edExe->setText(*path);
}

void TfrmSettings::btIconClick() {
  const std::optional<QString> path = services_.SelectIconFile();
  if (!path)
    return;
  edIcon->setText(*path);
  if (TGame* game = GameOfTab(shownTab_)) {
    game->IconFile = path->toStdString();
    game->LoadIcon(&services_.GameIcons());
    ShowGameIcon(*game);
  }
}

void TfrmSettings::btSoundClick() {
  if (const std::optional<QString> path = services_.SelectSoundFile())
    edSound->setText(*path);
}

void TfrmSettings::btLogClick() {
  if (const std::optional<QString> path = services_.SelectLogFile())
    edLog->setText(*path);
}

void TfrmSettings::btOnlineSoundClick() {
  if (const std::optional<QString> path = services_.SelectSoundFile())
    edOnlineSound->setText(*path);
}
