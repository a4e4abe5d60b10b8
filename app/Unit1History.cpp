// The main window's way to the player history that the history plug-in records.

#include <QAction>

#include "app/Unit1.h"
#include "dialogs/Message.h"
#include "history/HistoryFile.h"
#include "history/HistoryWindow.h"
#include "model/server.h"

const std::string& TfrmMain::HistoryDatabase() {
  // The plug-in reads its setting once, when it is loaded, and so does the
  // window: a menu then never reads the whole settings file as it opens.
  if (historyDatabase_.empty())
    historyDatabase_ = CurrentHistoryDatabaseFile();
  return historyDatabase_;
}

void TfrmMain::UpdateHistoryActions() {
  // The plug-in may have been turned on, and its database made, since the last look.
  const bool recorded = HistoryDatabaseExists(HistoryDatabase());
  const bool enabled = recorded && ShownServer() != nullptr;
  const QString hint =
      recorded ? QString()
               : Message("HistoryOff", "To record a history, copy history.so into the program "
                                       "folder and start Skarvel again");
  for (QAction* action : {mnServersHistory, mnServerHistory}) {
    action->setEnabled(enabled);
    action->setToolTip(hint);
    action->setStatusTip(hint);
  }
}

void TfrmMain::mnServersHistoryClick() {
  // The server whose players are on view, as the rest of the window shows it.
  const TServer* shown = ShownServer();
  if (!shown)
    return;
  // The server as the plug-in stores it: its game's key and its host and port.
  const TGameInfo* game = static_cast<const TGame&>(*shown).Info;
  THistoryServer server;
  server.DatabasePath = HistoryDatabase();
  server.Game = game && game->Key ? game->Key : "";
  server.Address = shown->HostPort();
  server.Name = shown->Info[SKARVEL_INFO_NAME].empty() ? shown->DisplayName()
                                                       : shown->Info[SKARVEL_INFO_NAME];
  // Made when first asked for: most starts never open it.
  if (!frmHistory)
    frmHistory = new THistoryWindow(this);
  frmHistory->ShowServer(server);
  frmHistory->show();
  frmHistory->raise();
  frmHistory->activateWindow();
}
