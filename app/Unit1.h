#pragma once

#include <QMainWindow>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "config/WindowLayout.h"
#include "model/GameLauncher.h"
#include "model/ServerRoles.h"
#include "poll/Monitor.h"
#include "tray/TrayIcons.h"
#include "tray/TrayPolicy.h"

class QAction;
class QMenu;
class QProgressBar;
class QSplitter;
class QTreeWidget;
class QTreeWidgetItem;
class TPollShell;
class TServerView;
class TSoundPlayer;
class TTray;
class Tdm;
class TfrmSettings;
class THistoryWindow;

// The main window: the server and player views, the menus, the tray and the
// poll cycle's timers and socket. Closing it only hides the program; the Exit
// commands, a game start with "Quit" and the end of the session end it.
// It is every role the servers report to; the tray's decisions are its
// TTrayPolicy's, over the icons of its TTray.
class TfrmMain : public QMainWindow,
                 public IServerViews,
                 public IServerNotifications,
                 public IServerStatistics,
                 public IGameLauncher,
                 public ITrayIcons {
  Q_OBJECT
public:
  static constexpr const char* MainWindowTitle = "Skarvel/Quake/CS Servers";

  explicit TfrmMain(Tdm& dm, QWidget* parent = nullptr);
  ~TfrmMain() override;

  // A request from a later start of the program: 0 shows the window, 1
  // refreshes players and tray; other values do nothing.
  void WMUser(int request);
  // The session ends (log-off, SIGTERM, SIGINT): close as Exit does.
  void EndSession();

  bool ReallyClose() const { return reallyClose_; }
  bool VersionlessIni() const { return monitor_->VersionlessIni(); }
  TWindowLayout CurrentLayout() const;
  TMonitor& Monitor() { return *monitor_; }
  TTray& Tray() { return *tray_; }
  // What the window's servers report to.
  TServerRoles Roles() { return {*this, trayPolicy_, *this, *this}; }

  // Brings the views and the tray in line with the live server list.
  void RefreshServers();
  // After the settings or a server's properties changed: the next refresh
  // rebuilds the views and the tray rather than following changed servers.
  void InvalidateViews();
  // Rebuild the player view; with a server given, only when it is the one shown.
  void RefreshPlayers(const TServer* server) override;
  // Select and focus the row of `server`, if it has one.
  void SelectServer(const TServer& server);
  // The server whose players are shown: the selected row's, else the focused row's.
  const TServer* ShownServer() const;

  // Commands.
  void mnGoClick();
  // Starts the game at the server (Go!, and Join on a notification); with
  // "Quit" set, a started game ends the program.
  void Go(const TServer& server);
  void mnExitClick();
  void mnRefreshClick();
  void mnHideClick();
  void mnSettingsClick();
  void mnServersDescClick();
  void mnStatsClick();
  void mnServerStatsClick();
  void mnServersHistoryClick();
  void mnPlayersCopyClick();
  void pmPlayersPopup();
  void mnAboutClick();
  void lvServersDblClick();

  // What the servers report.
  void ServerChanged(const TServer& server) override;
  void ServerDestroyed(const TServer& server) override;
  void PlaySound(const std::string& path) override;
  void EventLine(const TServer& server, const std::string& line) override;
  void BuddyEntered(const TServer& server, const std::string& player,
                    const std::string& text) override;
  void NotifyStatistics(const TServer& server) override;
  std::optional<std::string> SelectExecutable(const std::string& defaultName,
                                              const std::string& gameTitle) override;
  bool StartGame(const std::string& executable, const std::string& parameters,
                 const std::string& folder) override;
  void GameNotFound(const std::string& gameTitle, const std::string& executable) override;

  // The tray's icons, handed on to the TTray, which is made after the
  // servers' lists it shows.
  void RefreshTray() override;
  int32_t AcquireTrayIcon(const TServer& server) override;
  void ReleaseTrayIcon(int32_t icon) override;
  void ShowTrayIcon(int32_t icon, const std::string& hint, int32_t playerCount,
                    int32_t imageIndex) override;
  void HideTrayIcon(int32_t icon) override;
  void ShowBalloon(const TServer& server, int32_t icon, const std::string& title,
                   const std::string& text) override;

protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

private:
  void FormCreate();
  void FormDestroy();
  void BuildViews();
  void BuildMenus();
  void BuildTray();
  void ApplyLayout(const TWindowLayout& layout);
  void ShowMainWindow();
  void HideToTray();
  void RefreshPlayersIfChanged();
  // Opens a log file; one that is not there is explained instead.
  void OpenLog(const std::string& path);
  void CreateSettingsDialog();
  // History needs a server and the history plug-in's database; without the
  // database the entries say how to get one.
  void UpdateHistoryActions();
  const std::string& HistoryDatabase();
  // The windows that exist, in the order they were made, translated from the
  // language file the settings name.
  void TranslateWindows();
  // After the settings dialog changed the language: the windows and the
  // messages follow at once.
  void ReloadLanguage();
  // After the settings or a server's properties changed: timers and views
  // follow at once.
  void SettingsChanged();

  Tdm& dm_;
  TTrayPolicy trayPolicy_;
  TPollShell* shell_ = nullptr;
  std::unique_ptr<TMonitor> monitor_;
  TTray* tray_ = nullptr;
  TSoundPlayer* sound_ = nullptr;
  TfrmSettings* frmSettings = nullptr;
  THistoryWindow* frmHistory = nullptr;
  std::string historyDatabase_; // where the history plug-in writes, once read
  bool reallyClose_ = false;
  bool everShown_ = false;
  bool rebuildViews_ = true;
  TWindowLayout restoredLayout_;
  // What the player view shows, so a refresh that changes nothing leaves it
  // (and its scroll position) alone.
  const TServer* playersShownFor_ = nullptr;
  std::vector<std::pair<std::string, int32_t>> playersShown_;

  TServerView* lvServers = nullptr;
  QSplitter* Splitter1 = nullptr;
  QTreeWidget* lvPlayers = nullptr;
  QProgressBar* pgs = nullptr;
  QMenu* pmServers = nullptr;
  QMenu* pmPlayers = nullptr;
  QAction* mnDesc = nullptr;
  QAction* mnGo = nullptr;
  QAction* mnServersDesc = nullptr;
  QAction* mnServersGo = nullptr;
  QAction* mnServerHistory = nullptr;
  QAction* mnServersHistory = nullptr;
  QAction* mnPlayersCopy = nullptr;
};
