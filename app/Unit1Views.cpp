// The main window's views and what the model asks of the tray, the sound and
// the game launcher.

#include <QMessageBox>
#include <QProcess>
#include <QTreeWidget>

#include <algorithm>

#include "app/LaunchMessages.h"
#include "app/PlayerOrder.h"
#include "app/ServerView.h"
#include "app/ServerViewHint.h"
#include "app/Unit1.h"
#include "app/dm.h"
#include "config/BuddyList.h"
#include "dialogs/ErrorReport.h"
#include "model/StatisticsPlugins.h"
#include "platform/ServerText.h"
#include "platform/SoundPlayer.h"
#include "tray/Tray.h"
#include "util/shell_words.h"

namespace {

bool SamePlayers(const std::vector<std::pair<std::string, int32_t>>& shown,
                 const TPlayerList& players) {
  if (static_cast<int32_t>(shown.size()) != players.Count())
    return false;
  for (int32_t i = 0; i < players.Count(); ++i) {
    const TPlayer& player = players.Items(i);
    if (shown[static_cast<std::size_t>(i)] != std::make_pair(player.Name, player.Frags))
      return false;
  }
  return true;
}

void Warn(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Warning, QStringLiteral("Skarvel"), text, QMessageBox::Ok, parent);
  TranslateButtons(box);
  box.exec();
}

} // namespace

void TfrmMain::RefreshServers() {
  lvServers->Refresh(monitor_->Servers, rebuildViews_);
  if (rebuildViews_)
    tray_->Invalidate();
  rebuildViews_ = false;
  const bool any = lvServers->topLevelItemCount() > 0;
  for (QAction* action : {mnDesc, mnServersDesc, mnGo, mnServersGo})
    if (action->isEnabled() != any)
      action->setEnabled(any);
  RefreshPlayersIfChanged();
  RefreshTray();
}

void TfrmMain::InvalidateViews() {
  rebuildViews_ = true;
  lvServers->SetEmptyHint(ServerViewHint(monitor_->Addresses));
  playersShownFor_ = nullptr;
  playersShown_.clear();
}

const TServer* TfrmMain::ShownServer() const {
  return lvServers->ShownServer();
}

void TfrmMain::SelectServer(const TServer& server) {
  lvServers->SelectServer(server);
}

void TfrmMain::RefreshPlayersIfChanged() {
  // Rebuilding the same rows would only reset the view's scroll position.
  const TServer* shown = ShownServer();
  if (shown && shown == playersShownFor_ && SamePlayers(playersShown_, shown->Players))
    return;
  if (!shown && !playersShownFor_ && lvPlayers->topLevelItemCount() == 0)
    return;
  RefreshPlayers(nullptr);
}

void TfrmMain::RefreshPlayers(const TServer* server) {
  const TServer* shown = ShownServer();
  if (server && shown && server != shown)
    return;
  const QSignalBlocker blocker(lvPlayers);
  const QList<QTreeWidgetItem*> selectedRows = lvPlayers->selectedItems();
  const int selected =
      selectedRows.isEmpty() ? -1 : lvPlayers->indexOfTopLevelItem(selectedRows.constFirst());
  const int focused =
      lvPlayers->currentItem() ? lvPlayers->indexOfTopLevelItem(lvPlayers->currentItem()) : -1;
  lvPlayers->setUpdatesEnabled(false);
  lvPlayers->clear();
  playersShownFor_ = shown;
  playersShown_.clear();
  if (shown) {
    std::vector<const TPlayer*> players;
    for (int32_t i = 0; i < shown->Players.Count(); ++i) {
      const TPlayer& player = shown->Players.Items(i);
      players.push_back(&player);
      playersShown_.emplace_back(player.Name, player.Frags);
    }
    std::stable_sort(players.begin(), players.end(), [](const TPlayer* a, const TPlayer* b) {
      return lvPlayersCompare(std::to_string(a->Frags), std::to_string(b->Frags)) < 0;
    });
    QList<QTreeWidgetItem*> rows;
    for (const TPlayer* player : players) {
      auto* row = new QTreeWidgetItem({ServerText(player->Name), QString::number(player->Frags)});
      // Buddies stand out in bold.
      if (Buddies.Matches(player->Name)) {
        QFont bold = lvPlayers->font();
        bold.setBold(true);
        row->setFont(0, bold);
        row->setFont(1, bold);
      }
      rows.append(row);
    }
    lvPlayers->addTopLevelItems(rows);
  }
  // Rows come back by position, not by player.
  const int count = lvPlayers->topLevelItemCount();
  if (focused >= 0 && focused < count)
    lvPlayers->selectionModel()->setCurrentIndex(lvPlayers->model()->index(focused, 0),
                                                 QItemSelectionModel::NoUpdate);
  if (selected >= 0 && selected < count)
    lvPlayers->topLevelItem(selected)->setSelected(true);
  lvPlayers->setUpdatesEnabled(true);
  pmPlayersPopup();
}

void TfrmMain::ServerChanged(const TServer& server) {
  if (lvServers)
    lvServers->Touch(server);
  if (tray_)
    tray_->Touch(server);
}

void TfrmMain::ServerDestroyed(const TServer& server) {
  if (lvServers)
    lvServers->Forget(server);
  if (tray_)
    tray_->Forget(server);
  if (playersShownFor_ == &server) {
    playersShownFor_ = nullptr;
    playersShown_.clear();
  }
}

void TfrmMain::RefreshTray() {
  tray_->RefreshTray();
}

int32_t TfrmMain::AcquireTrayIcon(const TServer& server) {
  return tray_->AcquireTrayIcon(server);
}

void TfrmMain::ReleaseTrayIcon(int32_t icon) {
  tray_->ReleaseTrayIcon(icon);
}

void TfrmMain::ShowTrayIcon(int32_t icon, const std::string& hint, int32_t playerCount,
                            int32_t imageIndex) {
  tray_->ShowTrayIcon(icon, hint, playerCount, imageIndex);
}

void TfrmMain::HideTrayIcon(int32_t icon) {
  tray_->HideTrayIcon(icon);
}

void TfrmMain::ShowBalloon(const TServer& server, int32_t icon, const std::string& title,
                           const std::string& text) {
  tray_->ShowBalloon(server, icon, title, text);
}

void TfrmMain::PlaySound(const std::string& path) {
  sound_->Play(QString::fromStdString(path));
}

// The window has no place for event lines; the event log keeps them.
void TfrmMain::EventLine(const TServer&, const std::string&) {
}

// The balloon and the sound say it; the tray menu lists where buddies play.
void TfrmMain::BuddyEntered(const TServer&, const std::string&, const std::string&) {
}

void TfrmMain::NotifyStatistics(const TServer& server) {
  NotifyStatPlugins(monitor_->StatPlugins, server);
}

std::optional<std::string> TfrmMain::SelectExecutable(const std::string& defaultName,
                                                      const std::string& gameTitle) {
  if (const auto chosen = dm_.SelectExecutableFile(QString::fromStdString(defaultName),
                                                   QString::fromStdString(gameTitle)))
    return chosen->toStdString();
  return std::nullopt;
}

bool TfrmMain::StartGame(const std::string& executable, const std::string& parameters,
                         const std::string& folder) {
  // The parameters are split as a shell would, but no shell runs: a server's
  // texts never reach one.
  QStringList arguments;
  for (const std::string& word : SplitShellWords(parameters))
    arguments << QString::fromStdString(word);
  if (QProcess::startDetached(QString::fromStdString(executable), arguments,
                              QString::fromStdString(folder)))
    return true;
  Warn(this, GameNotStartedText(QString::fromStdString(executable)));
  return false;
}

void TfrmMain::GameNotFound(const std::string& gameTitle, const std::string& executable) {
  Warn(this,
       GameNotFoundText(QString::fromStdString(gameTitle), QString::fromStdString(executable)));
}
