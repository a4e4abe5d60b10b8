#pragma once

#include <QMainWindow>

#include <array>
#include <memory>

#include "config/WindowLayout.h"
#include "model/ServerEvents.h"
#include "poll/Monitor.h"

class QAction;
class QMenu;
class QProgressBar;
class QSplitter;
class QSystemTrayIcon;
class QTreeWidget;
class TPollShell;
class Tdm;

// The main window: the server and player views, the menus and the common tray
// icon. Closing it only hides the program; the Exit commands and the end of the
// session end it.
class TfrmMain : public QMainWindow, public IServerEvents {
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
  bool VersionlessIni() const { return versionlessIni_; }
  TWindowLayout CurrentLayout() const;

  // Rebuild the views from the live server list.
  void RefreshServers();
  // Rebuild the player view; with a server given, only when it is the one shown.
  void RefreshPlayers(const TServer* server) override;

  TMonitor& Monitor() { return *monitor_; }

  // The model's requests of the user interface.
  void RefreshTray() override;
  int32_t AcquireTrayIcon(TServer& server) override;
  void ReleaseTrayIcon(int32_t icon) override;
  void ShowTrayIcon(int32_t icon, const std::string& hint, int32_t playerCount,
                    int32_t imageIndex) override;
  void HideTrayIcon(int32_t icon) override;
  void ShowBalloon(int32_t icon, const std::string& title, const std::string& text) override;
  void PlaySound(const std::string& path) override;
  void NotifyStatistics(const TServer& server) override;
  std::optional<std::string> SelectExecutable(const std::string& defaultName) override;
  bool StartGame(const std::string& executable, const std::string& parameters,
                 const std::string& folder) override;

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
  void tiClick();
  void mnExitClick();
  void mnStatsClick();
  void pmPlayersPopup();
  void mnRefreshClick();
  const TServer* ShownServer() const;

  Tdm& dm_;
  TPollShell* shell_ = nullptr;
  std::unique_ptr<TMonitor> monitor_;
  bool reallyClose_ = false;
  bool versionlessIni_ = false;
  bool everShown_ = false;
  TWindowLayout restoredLayout_;

  QTreeWidget* lvServers = nullptr;
  QSplitter* Splitter1 = nullptr;
  QTreeWidget* lvPlayers = nullptr;
  QProgressBar* pgs = nullptr;
  QMenu* pmServers = nullptr;
  QMenu* pmPlayers = nullptr;
  QMenu* pmTray = nullptr;
  QAction* mnDesc = nullptr;
  QAction* mnGo = nullptr;
  QAction* mnServersDesc = nullptr;
  QAction* mnServersGo = nullptr;
  QAction* mnPlayersCopy = nullptr;
  std::array<QAction*, 16> trayServerEntries_{};
  QSystemTrayIcon* ti = nullptr;
  // Which tray icon was clicked last; only the common icon exists so far.
  const QSystemTrayIcon* lastTrayTag_ = nullptr;
};
