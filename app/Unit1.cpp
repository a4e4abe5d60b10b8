#include "app/Unit1.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QShortcut>
#include <QSplitter>
#include <QSystemTrayIcon>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <exception>

#include "app/DesignIcon.h"
#include "app/PollShell.h"
#include "app/dm.h"
#include "config/AppSettings.h"
#include "config/MsgINISupp.h"
#include "config/SettingsFile.h"
#include "config/StatsLog.h"
#include "util/app_dir.h"
#include "util/version.h"

namespace {

QString Message(const char* key, const char* builtIn) {
  return QString::fromStdString(Lookup(key, builtIn));
}

QTreeWidget* MakeReportView(const char* name, const QStringList& columns, QWidget* parent) {
  auto* view = new QTreeWidget(parent);
  view->setObjectName(QString::fromLatin1(name));
  view->setHeaderLabels(columns);
  view->setRootIsDecorated(false);
  view->setUniformRowHeights(true);
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setSelectionMode(QAbstractItemView::SingleSelection);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->setContextMenuPolicy(Qt::CustomContextMenu);
  view->header()->setSectionsClickable(false);
  view->header()->setStretchLastSection(false);
  return view;
}

QAction* MakeAction(const char* name, const char* caption, QObject* parent,
                    const QKeySequence& shortcut = {}) {
  auto* action = new QAction(QString::fromLatin1(caption), parent);
  action->setObjectName(QString::fromLatin1(name));
  action->setShortcut(shortcut);
  return action;
}

// A stored width of -1 fits the texts, -2 the header; anything below that is
// not a width, so the design width stands.
void ApplyColumnWidth(QTreeWidget* view, int column, int32_t width, int32_t designWidth) {
  if (width == -1) {
    view->resizeColumnToContents(column);
    return;
  }
  if (width == -2)
    width = view->header()->sectionSizeHint(column);
  else if (width < 0)
    width = designWidth;
  view->setColumnWidth(column, width);
}

void ReportError(const std::exception& error) {
  QMessageBox::warning(nullptr, QStringLiteral("Skarvel"), QString::fromStdString(error.what()));
}

} // namespace

TfrmMain::TfrmMain(Tdm& dm, QWidget* parent) : QMainWindow(parent), dm_(dm) {
  setObjectName(QStringLiteral("frmMain"));
  setWindowIcon(DesignIcon());
  BuildViews();
  shell_ = new TPollShell(*pgs, this);
  monitor_ = std::make_unique<TMonitor>(*this, *shell_);
  shell_->Attach(monitor_->Engine, [this] { RefreshServers(); });
  BuildMenus();
  BuildTray();
  FormCreate();
}

TfrmMain::~TfrmMain() {
  FormDestroy();
}

void TfrmMain::BuildViews() {
  auto* central = new QWidget(this);
  auto* column = new QVBoxLayout(central);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);

  Splitter1 = new QSplitter(Qt::Vertical, central);
  Splitter1->setObjectName(QStringLiteral("Splitter1"));
  Splitter1->setHandleWidth(3);
  Splitter1->setChildrenCollapsible(false);
  lvServers = MakeReportView("lvServers",
                             {QStringLiteral("Host"), QStringLiteral("Name"), QStringLiteral("Map"),
                              QStringLiteral("Fraglimit"), QStringLiteral("Players")},
                             Splitter1);
  lvPlayers =
      MakeReportView("lvPlayers", {QStringLiteral("Player"), QStringLiteral("Frags")}, Splitter1);
  lvPlayers->setFocusPolicy(Qt::ClickFocus); // not a tab stop
  Splitter1->addWidget(lvServers);
  Splitter1->addWidget(lvPlayers);
  // The server view keeps its height when the window grows; the players get the rest.
  Splitter1->setStretchFactor(0, 0);
  Splitter1->setStretchFactor(1, 1);

  pgs = new QProgressBar(central);
  pgs->setObjectName(QStringLiteral("pgs"));
  pgs->setFixedHeight(8);
  pgs->setTextVisible(false);
  pgs->setRange(0, 1);
  pgs->setValue(0);

  column->addWidget(Splitter1, 1);
  column->addWidget(pgs);
  setCentralWidget(central);
}

void TfrmMain::BuildMenus() {
  QMenu* mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
  mnuFile->setObjectName(QStringLiteral("mnuFile"));
  QAction* mnSettings =
      MakeAction("mnSettings", "&Settings", this, QKeySequence(Qt::ALT | Qt::Key_S));
  mnDesc = MakeAction("mnDesc", "S&erver properties", this, QKeySequence(Qt::Key_F2));
  QAction* mnExitMain = MakeAction("mnExitMain", "E&xit", this, QKeySequence(Qt::ALT | Qt::Key_X));
  mnuFile->addAction(mnSettings);
  mnuFile->addAction(mnDesc);
  mnuFile->addSeparator();
  mnuFile->addAction(mnExitMain);

  QMenu* mnuView = menuBar()->addMenu(QStringLiteral("&View"));
  mnuView->setObjectName(QStringLiteral("mnuView"));
  QAction* mnRefresh = MakeAction("mnRefresh", "&Refresh", this, QKeySequence(Qt::Key_F5));
  QAction* mnHide = MakeAction("mnHide", "&Hide", this);
  QAction* mnServerStats =
      MakeAction("mnServerStats", "S&erver stats", this, QKeySequence(Qt::Key_F8));
  QAction* mnStats = MakeAction("mnStats", "&Stats", this, QKeySequence(Qt::Key_F9));
  mnuView->addAction(mnRefresh);
  mnuView->addAction(mnHide);
  mnuView->addSeparator();
  mnuView->addAction(mnServerStats);
  mnuView->addAction(mnStats);

  mnGo = MakeAction("mnGo", "&Go !", this);
  menuBar()->addAction(mnGo);

  pmServers = new QMenu(this);
  pmServers->setObjectName(QStringLiteral("pmServers"));
  mnServersDesc =
      MakeAction("mnServersDesc", "S&erver properties", pmServers, QKeySequence(Qt::Key_F2));
  mnServersGo = MakeAction("mnServersGo", "&Go!", pmServers);
  pmServers->addAction(mnServersDesc);
  pmServers->addSeparator();
  pmServers->addAction(mnServersGo);

  pmPlayers = new QMenu(this);
  pmPlayers->setObjectName(QStringLiteral("pmPlayers"));
  mnPlayersCopy = MakeAction("mnPlayersCopy", "Copy", pmPlayers, QKeySequence::Copy);
  pmPlayers->addAction(mnPlayersCopy);
  // The popup's shortcut works while the player view has the focus.
  mnPlayersCopy->setShortcutContext(Qt::WidgetShortcut);
  lvPlayers->addAction(mnPlayersCopy);

  // Go! and the server properties need a server; none is shown yet.
  for (QAction* action : {mnDesc, mnServersDesc, mnGo, mnServersGo})
    action->setEnabled(false);

  connect(mnExitMain, &QAction::triggered, this, &TfrmMain::mnExitClick);
  connect(mnHide, &QAction::triggered, this, &TfrmMain::HideToTray);
  connect(mnStats, &QAction::triggered, this, &TfrmMain::mnStatsClick);
  connect(mnRefresh, &QAction::triggered, this, &TfrmMain::mnRefreshClick);
  // Settings, Server properties, Server stats, Go! and Copy are wired as the
  // dialogs and the full views land.
  connect(lvServers, &QTreeWidget::itemSelectionChanged, this, [this] { RefreshPlayers(nullptr); });

  connect(lvServers, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { pmServers->popup(lvServers->viewport()->mapToGlobal(at)); });
  connect(lvPlayers, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    pmPlayersPopup();
    pmPlayers->popup(lvPlayers->viewport()->mapToGlobal(at));
  });

  // The window sees Esc before its controls do.
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  escape->setContext(Qt::WindowShortcut);
  connect(escape, &QShortcut::activated, this, &TfrmMain::HideToTray);
}

void TfrmMain::BuildTray() {
  pmTray = new QMenu(this);
  pmTray->setObjectName(QStringLiteral("pmTray"));
  for (std::size_t i = 0; i < trayServerEntries_.size(); ++i) {
    QAction* entry = pmTray->addAction(QString());
    entry->setObjectName(QStringLiteral("N%11").arg(i + 1));
    entry->setVisible(false);
    trayServerEntries_[i] = entry;
  }
  pmTray->addSeparator();
  QAction* mnAbout = MakeAction("mnAbout", "&About...", pmTray);
  QAction* mnExit = MakeAction("mnExit", "&Exit", pmTray);
  pmTray->addAction(mnAbout);
  pmTray->addAction(mnExit);
  connect(mnExit, &QAction::triggered, this, &TfrmMain::mnExitClick);
  // About opens the about box once it exists.

  ti = new QSystemTrayIcon(DesignIcon(), this);
  ti->setObjectName(QStringLiteral("ti"));
  ti->setContextMenu(pmTray);
  ti->setToolTip(Message("NoServers", "No servers"));
  connect(ti, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::Trigger)
      tiClick();
  });
  lastTrayTag_ = ti;
  ti->show();
}

void TfrmMain::FormCreate() {
  QDir::setCurrent(QString::fromStdString(ProgramFolder()));
  setWindowTitle(QString::fromLatin1(MainWindowTitle));
  reallyClose_ = false;

  // No language file is loaded yet, so the message keeps its built-in text.
  if (!EnsureIniFile())
    QMessageBox::information(nullptr, QStringLiteral("Skarvel"),
                             QStringLiteral("Cannot create INI file"));

  // The game registry, the address list and the server lists were made with
  // the window (TMonitor); the tray icon pool arrives with the tray.

  try {
    WithIni([this] {
      versionlessIni_ = Ini().ReadString("Common", "Version", "").empty();
      LoadAppSettings();
      // The language file is applied here once language files land.
      monitor_->LoadGames();
      restoredLayout_ = ReadWindowLayout(Ini(), TWindowLayout{});
      ApplyLayout(restoredLayout_);
      monitor_->LoadLists(&dm_.GameImages, versionlessIni_);
      monitor_->Engine.ApplyTimerSettings();
      AppSettings.LastUpdate = Ini().ReadDate("Network", "LastUpdate", AppSettings.LastUpdate);
      if (versionlessIni_)
        Ini().WriteString("Common", "Version", VersionToText(ProgramVersion()));
    });
  } catch (const std::exception& error) {
    ReportError(error);
  }

  try {
    StatsLog("Program started");
  } catch (const std::exception& error) {
    qWarning("%s", error.what());
  }

  monitor_->Engine.Timer1Timer();

  // Without a notification area nothing would show that the program runs;
  // a later start of the program still brings a hidden window back.
  if (!AppSettings.StartInTray || !QSystemTrayIcon::isSystemTrayAvailable())
    ShowMainWindow();
}

void TfrmMain::FormDestroy() {
  shell_->StopTimers();
  // The message lookup closes here once language files land.
  try {
    WithIni([this] { WriteWindowLayout(Ini(), CurrentLayout()); });
  } catch (const std::exception& error) {
    qWarning("%s", error.what());
  }
  try {
    StatsLog("Program terminated");
  } catch (const std::exception& error) {
    qWarning("%s", error.what());
  }
  // Servers first (they give their tray icons back), the game registry last.
  monitor_.reset();
}

void TfrmMain::ApplyLayout(const TWindowLayout& layout) {
  move(layout.Left, layout.Top);
  resize(layout.Width, layout.Height);
  Splitter1->setSizes({layout.ServersHeight, std::max(1, layout.Height - layout.ServersHeight)});
  const TWindowLayout design;
  for (int i = 0; i < 5; ++i)
    ApplyColumnWidth(lvServers, i, layout.ServersWidth[i], design.ServersWidth[i]);
  for (int i = 0; i < 2; ++i)
    ApplyColumnWidth(lvPlayers, i, layout.PlayersWidth[i], design.PlayersWidth[i]);
}

TWindowLayout TfrmMain::CurrentLayout() const {
  // Until the window has been shown its widgets are not laid out, so the
  // layout read at start is still the true one.
  TWindowLayout layout = restoredLayout_;
  if (!everShown_) {
    for (int i = 0; i < 5; ++i)
      layout.ServersWidth[i] = lvServers->columnWidth(i);
    for (int i = 0; i < 2; ++i)
      layout.PlayersWidth[i] = lvPlayers->columnWidth(i);
    return layout;
  }
  layout.Left = pos().x();
  layout.Top = pos().y();
  layout.Width = width();
  layout.Height = height();
  layout.ServersHeight = lvServers->height();
  for (int i = 0; i < 5; ++i)
    layout.ServersWidth[i] = lvServers->columnWidth(i);
  for (int i = 0; i < 2; ++i)
    layout.PlayersWidth[i] = lvPlayers->columnWidth(i);
  return layout;
}

void TfrmMain::showEvent(QShowEvent* event) {
  if (!everShown_) {
    everShown_ = true;
    // Now that the window has its size, give the server view its stored height.
    const int total = Splitter1->height();
    const int servers = std::clamp(restoredLayout_.ServersHeight, 0, std::max(0, total));
    Splitter1->setSizes({servers, std::max(0, total - servers)});
  }
  QMainWindow::showEvent(event);
}

void TfrmMain::WMUser(int request) {
  if (request == 0)
    ShowMainWindow();
  // Request 1 refreshes the player view and the tray once they show servers.
}

void TfrmMain::EndSession() {
  reallyClose_ = true;
  close();
}

void TfrmMain::closeEvent(QCloseEvent* event) {
  if (!reallyClose_) {
    event->ignore();
    HideToTray();
    return;
  }
  event->accept();
  QApplication::quit();
}

void TfrmMain::ShowMainWindow() {
  showNormal();
  raise();
  activateWindow();
}

void TfrmMain::HideToTray() {
  hide();
}

void TfrmMain::tiClick() {
  // A second click on the icon clicked last hides the window; otherwise it shows.
  if (isVisible() && lastTrayTag_ == ti)
    HideToTray();
  else
    ShowMainWindow();
  lastTrayTag_ = ti;
}

void TfrmMain::mnExitClick() {
  reallyClose_ = true;
  close();
}

void TfrmMain::mnStatsClick() {
  dm_.OpenDocument(QString::fromStdString(InAppDir("stats.txt")));
}

void TfrmMain::pmPlayersPopup() {
  mnPlayersCopy->setEnabled(lvPlayers->topLevelItemCount() > 0);
}

void TfrmMain::mnRefreshClick() { monitor_->Engine.Refresh(); }

namespace {

// View rows name their server by host, port and game, never by pointer: a
// record may be destroyed between two refreshes.
QStringList ServerKey(const TServer& server) {
  return {QString::fromStdString(server.Host), QString::number(server.Port),
          QString::number(server.Id)};
}

QString ViewText(const std::string& text) { return QString::fromUtf8(text); }

} // namespace

const TServer* TfrmMain::ShownServer() const {
  QTreeWidgetItem* item = nullptr;
  const QList<QTreeWidgetItem*> selected = lvServers->selectedItems();
  item = selected.isEmpty() ? lvServers->currentItem() : selected.constFirst();
  if (!item || !monitor_)
    return nullptr;
  const QStringList key = item->data(0, Qt::UserRole).toStringList();
  if (key.size() != 3)
    return nullptr;
  return monitor_->Servers.Find(key[0].toStdString(), key[1].toInt(), key[2].toInt());
}

void TfrmMain::RefreshServers() {
  const TServer* selected = ShownServer();
  const QStringList selectedKey = selected ? ServerKey(*selected) : QStringList();
  const QSignalBlocker blocker(lvServers);
  lvServers->clear();
  QTreeWidgetItem* reselect = nullptr;
  const TServerList& servers = monitor_->Servers;
  for (int32_t i = 0; i < servers.Count(); ++i) {
    const TServer& server = servers.Items(i);
    if (!server.Online)
      continue;
    auto* item = new QTreeWidgetItem(
        lvServers, {ViewText(server.DisplayName()), ViewText(server.Info[0]),
                    ViewText(server.Info[1]), ViewText(server.Info[2]),
                    ViewText(server.Info[3] + "/" + server.Info[4])});
    item->setIcon(0, dm_.GameImages.Image(server.EffectiveIconIndex()));
    item->setData(0, Qt::UserRole, ServerKey(server));
    if (ServerKey(server) == selectedKey)
      reselect = item;
  }
  if (!reselect && lvServers->topLevelItemCount() > 0)
    reselect = lvServers->topLevelItem(0);
  if (reselect)
    reselect->setSelected(true);
  const bool any = lvServers->topLevelItemCount() > 0;
  for (QAction* action : {mnDesc, mnServersDesc, mnGo, mnServersGo})
    action->setEnabled(any);
  RefreshPlayers(nullptr);
  RefreshTray();
}

void TfrmMain::RefreshPlayers(const TServer* server) {
  const TServer* shown = ShownServer();
  if (server && shown && server != shown)
    return;
  const QSignalBlocker blocker(lvPlayers);
  lvPlayers->clear();
  if (!shown)
    return;
  for (int32_t i = 0; i < shown->Players.Count(); ++i) {
    const TPlayer& player = shown->Players.Items(i);
    new QTreeWidgetItem(lvPlayers, {ViewText(player.Name), QString::number(player.Frags)});
  }
}

// The tray icons, their menu, sounds and the game launcher arrive with the
// tray; until then the model's requests for them change nothing.
void TfrmMain::RefreshTray() {}
int32_t TfrmMain::AcquireTrayIcon(TServer&) { return IServerEvents::kCommonIcon; }
void TfrmMain::ReleaseTrayIcon(int32_t) {}
void TfrmMain::ShowTrayIcon(int32_t, const std::string&, int32_t, int32_t) {}
void TfrmMain::HideTrayIcon(int32_t) {}
void TfrmMain::PlaySound(const std::string&) {}
void TfrmMain::NotifyStatistics(const TServer&) {}
std::optional<std::string> TfrmMain::SelectExecutable(const std::string&) { return std::nullopt; }
bool TfrmMain::StartGame(const std::string&, const std::string&, const std::string&) {
  return false;
}

void TfrmMain::ShowBalloon(int32_t, const std::string& title, const std::string& text) {
  if (AppSettings.PopupMessages)
    ti->showMessage(ViewText(title).left(63), ViewText(text).left(255), QSystemTrayIcon::NoIcon,
                    10000);
}
