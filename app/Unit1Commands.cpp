// The main window's commands: menus, popups and the keys bound to them.

#include <QApplication>
#include <QClipboard>
#include <QTreeWidget>

#include <filesystem>

#include "app/ServerView.h"
#include "app/Unit1.h"
#include "app/dm.h"
#include "config/AppSettings.h"
#include "dialogs/ErrorReport.h"
#include "dialogs/Message.h"
#include "dialogs/about.h"
#include "model/server.h"
#include "util/app_dir.h"
#include "util/version.h"

void TfrmMain::mnGoClick() {
  // Go! takes the focused row, as the keyboard user sees it.
  if (const TServer* focused = lvServers->FocusedServer())
    Go(*focused);
}

void TfrmMain::Go(const TServer& shown) {
  TServer* server = monitor_->Servers.Find(shown.Host, shown.Port, shown.Id);
  if (!server || !server->LaunchGame(monitor_->Games, *this))
    return; // a start that failed is not reported, and the program stays
  if (AppSettings.Quit) {
    reallyClose_ = true;
    close();
  }
}

void TfrmMain::lvServersDblClick() {
  if (AppSettings.DoubleClick)
    mnGoClick();
}

void TfrmMain::mnExitClick() {
  reallyClose_ = true;
  close();
}

void TfrmMain::mnRefreshClick() {
  monitor_->Engine.Refresh();
}

void TfrmMain::mnHideClick() {
  HideToTray();
}

void TfrmMain::mnStatsClick() {
  OpenLog(InAppDir("stats.txt"));
}

void TfrmMain::mnServerStatsClick() {
  if (const TServer* server = ShownServer())
    OpenLog(InAppDir(server->EffectiveLog()));
}

void TfrmMain::OpenLog(const std::string& path) {
  std::error_code error;
  if (std::filesystem::is_regular_file(path, error)) {
    dm_.OpenDocument(QString::fromStdString(path));
    return;
  }
  // Opening a file that is not there shows nothing at all: say why.
  if (!AppSettings.Stats)
    ShowNote(this, Message("StatsOff", "Nothing is logged: turn on “Log stats” in "
                                       "File › Settings to keep a log."));
  else
    ShowNote(this, Message("StatsEmpty", "Nothing has been logged into %1 yet.")
                       .arg(QString::fromStdString(path)));
}

void TfrmMain::mnPlayersCopyClick() {
  if (const QTreeWidgetItem* focused = lvPlayers->currentItem())
    QApplication::clipboard()->setText(focused->text(0));
}

void TfrmMain::pmPlayersPopup() {
  mnPlayersCopy->setEnabled(lvPlayers->topLevelItemCount() > 0);
}

void TfrmMain::mnAboutClick() {
  const std::string executable = std::filesystem::path(ExecutablePath()).filename().string();
  std::vector<std::pair<std::string, PackedVersion>> statistics;
  for (int32_t i = 0; i < monitor_->StatPlugins.Count(); ++i)
    statistics.emplace_back(monitor_->StatPlugins.Items(i).FileName,
                            monitor_->StatPlugins.Items(i).Version);
  auto* box = new TfrmAbout(
      AboutRows(executable, ProgramVersion(), monitor_->Games, statistics), Tdm::Homepage(),
      [this] { dm_.OpenHomepage(); }, this);
  box->exec(); // the box deletes itself when closed
}
