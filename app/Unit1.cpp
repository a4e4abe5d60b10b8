#include "app/Unit1.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cstdio>
#include <exception>

#include "app/DesignIcon.h"
#include "app/PollShell.h"
#include "app/ServerView.h"
#include "app/ServerViewHint.h"
#include "app/StartupMessage.h"
#include "app/dm.h"
#include "config/AppSettings.h"
#include "config/SettingsFile.h"
#include "config/StatsLog.h"
#include "dialogs/LngINISupp.h"
#include "dialogs/ScreenFit.h"
#include "dialogs/settings.h"
#include "platform/SoundPlayer.h"
#include "tray/Tray.h"
#include "util/app_dir.h"

namespace {

void SetUpReportView(QTreeWidget* view, const char* name, const QStringList& columns) {
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
  // The selection stays visible while another control has the focus.
  QPalette palette = view->palette();
  palette.setBrush(QPalette::Inactive, QPalette::Highlight,
                   palette.brush(QPalette::Active, QPalette::Highlight));
  palette.setBrush(QPalette::Inactive, QPalette::HighlightedText,
                   palette.brush(QPalette::Active, QPalette::HighlightedText));
  view->setPalette(palette);
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
  ShowStartupMessage(QMessageBox::Warning, QString::fromStdString(error.what()));
}

} // namespace

TfrmMain::TfrmMain(Tdm& dm, QWidget* parent)
    : QMainWindow(parent), dm_(dm), trayPolicy_(*this, AppSettings) {
  setObjectName(QStringLiteral("frmMain"));
  TLngINISupp::Exclude(this); // the title is fixed: a later start finds the window by it
  // Window managers show a window's icon at 128 pixels at most, and every
  // size is handed to the X server; the theme icons go up to 256.
  setWindowIcon(DesignIcon(128));
  BuildViews();
  shell_ = new TPollShell(*pgs, this);
  monitor_ = std::make_unique<TMonitor>(Roles(), *shell_);
  shell_->Attach(monitor_->Engine, [this] { RefreshServers(); });
  shell_->AttachUpdateCheck(dm_.UpdateCheck);
  shell_->SetLostRepliesNotice([this](const std::string& text) {
    statusBar()->showMessage(QString::fromStdString(text));
    std::fprintf(stderr, "skarvel: %s\n", text.c_str());
  });
  sound_ = new TSoundPlayer([] { QApplication::beep(); }, TSoundPlayer::InstalledModules(), this);
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
  lvServers =
      new TServerView([this](int32_t index) { return dm_.GameImages.Image(index); }, Splitter1);
  SetUpReportView(lvServers, "lvServers",
                  {QStringLiteral("Host"), QStringLiteral("Name"), QStringLiteral("Map"),
                   QStringLiteral("Fraglimit"), QStringLiteral("Players")});
  lvPlayers = new QTreeWidget(Splitter1);
  SetUpReportView(lvPlayers, "lvPlayers", {QStringLiteral("Player"), QStringLiteral("Frags")});
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
  mnServerHistory = MakeAction("mnServerHistory", "Server histor&y", this);
  mnuView->addAction(mnServerHistory);
  mnuView->addAction(mnStats);

  mnGo = MakeAction("mnGo", "&Go !", this);
  menuBar()->addAction(mnGo);

  pmServers = new QMenu(this);
  pmServers->setObjectName(QStringLiteral("pmServers"));
  TLngINISupp::Exclude(pmServers); // a popup has no title, only entries
  mnServersDesc =
      MakeAction("mnServersDesc", "S&erver properties", pmServers, QKeySequence(Qt::Key_F2));
  mnServersGo = MakeAction("mnServersGo", "&Go!", pmServers);
  mnServersHistory = MakeAction("mnServersHistory", "&History", pmServers);
  pmServers->addAction(mnServersDesc);
  pmServers->addAction(mnServersHistory);
  pmServers->addSeparator();
  pmServers->addAction(mnServersGo);

  pmPlayers = new QMenu(this);
  pmPlayers->setObjectName(QStringLiteral("pmPlayers"));
  TLngINISupp::Exclude(pmPlayers);
  mnPlayersCopy = MakeAction("mnPlayersCopy", "Copy", pmPlayers, QKeySequence::Copy);
  pmPlayers->addAction(mnPlayersCopy);
  // The popup's shortcut works while the player view has the focus.
  mnPlayersCopy->setShortcutContext(Qt::WidgetShortcut);
  lvPlayers->addAction(mnPlayersCopy);

  // Go! and the server properties need a server; none is shown yet.
  for (QAction* action :
       {mnDesc, mnServersDesc, mnGo, mnServersGo, mnServerHistory, mnServersHistory})
    action->setEnabled(false);
  // A disabled History entry says in its tooltip how to turn the history on.
  for (QMenu* menu : {mnuView, pmServers}) {
    menu->setToolTipsVisible(true);
    connect(menu, &QMenu::aboutToShow, this, &TfrmMain::UpdateHistoryActions);
  }

  connect(mnSettings, &QAction::triggered, this, &TfrmMain::mnSettingsClick);
  connect(mnDesc, &QAction::triggered, this, &TfrmMain::mnServersDescClick);
  connect(mnExitMain, &QAction::triggered, this, &TfrmMain::mnExitClick);
  connect(mnRefresh, &QAction::triggered, this, &TfrmMain::mnRefreshClick);
  connect(mnHide, &QAction::triggered, this, &TfrmMain::mnHideClick);
  connect(mnServerStats, &QAction::triggered, this, &TfrmMain::mnServerStatsClick);
  connect(mnStats, &QAction::triggered, this, &TfrmMain::mnStatsClick);
  connect(mnGo, &QAction::triggered, this, &TfrmMain::mnGoClick);
  connect(mnServersDesc, &QAction::triggered, this, &TfrmMain::mnServersDescClick);
  connect(mnServersGo, &QAction::triggered, this, &TfrmMain::mnGoClick);
  connect(mnServerHistory, &QAction::triggered, this, &TfrmMain::mnServersHistoryClick);
  connect(mnServersHistory, &QAction::triggered, this, &TfrmMain::mnServersHistoryClick);
  connect(mnPlayersCopy, &QAction::triggered, this, &TfrmMain::mnPlayersCopyClick);

  // A click on a row, or a change of the selection, shows that server's players.
  connect(lvServers, &QTreeWidget::itemSelectionChanged, this, [this] { RefreshPlayers(nullptr); });
  connect(lvServers, &QTreeWidget::itemClicked, this, [this] { RefreshPlayers(nullptr); });
  connect(lvServers, &QTreeWidget::itemDoubleClicked, this, &TfrmMain::lvServersDblClick);

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
  TTrayWindow hooks;
  hooks.SelectServer = [this](const TServer& server) { SelectServer(server); };
  hooks.Join = [this](const TServer& server) { Go(server); };
  hooks.Show = [this] { ShowMainWindow(); };
  hooks.Hide = [this] { HideToTray(); };
  hooks.Shown = [this] { return isVisible(); };
  hooks.About = [this] { mnAboutClick(); };
  hooks.Exit = [this] { mnExitClick(); };
  hooks.GameImage = [this](int32_t index) { return dm_.GameImages.Image(index); };
  hooks.Digits = [] { return AppSettings.Digits; };
  hooks.PopupMessages = [] { return AppSettings.PopupMessages; };
  tray_ = new TTray(*this, monitor_->Servers, std::move(hooks));
}

void TfrmMain::FormCreate() {
  QDir::setCurrent(QString::fromStdString(ProgramFolder()));
  shell_->TraceReceiveBuffer();
  setWindowTitle(QString::fromLatin1(MainWindowTitle));
  reallyClose_ = false;
  // The start-up's boxes wait for its first cycle: an unanswered box must
  // not keep the program from polling.
  HoldStartupMessages();

  // No language file is loaded yet, so the message keeps its built-in text.
  if (!EnsureIniFile())
    ShowStartupMessage(QMessageBox::Information, QStringLiteral("Cannot create INI file"));
  // A new user would otherwise see only a grey tray icon.
  const bool firstStart = IniFileIsNew();
  if (firstStart && dm_.IniFileCreated)
    dm_.IniFileCreated();

  // The game registry, the address list, the server lists and the tray icon
  // pool were made with the window (TMonitor, TTray).

  TStartupOptions startup;
  startup.Icons = &dm_.GameImages;
  startup.ApplyLanguage = [this] {
    dm_.LIS.SetFileName(AppSettings.Language);
    TranslateWindows();
    dm_.OpenMessages();
  };
  startup.ReadFrontEndSettings = [this] {
    restoredLayout_ = ReadWindowLayout(Ini(), TWindowLayout{});
    ApplyLayout(restoredLayout_);
  };
  startup.LoadFailed = ReportError;
  startup.PluginFailed = [](const std::string& message) {
    ShowStartupMessage(QMessageBox::Critical, QString::fromStdString(message));
  };
  startup.LogFailed = [](const std::exception& error) { qWarning("%s", error.what()); };
  monitor_->Start(startup);
  lvServers->SetEmptyHint(ServerViewHint(monitor_->Addresses));
  ReleaseStartupMessages();

  if (!AppSettings.StartInTray || firstStart)
    ShowMainWindow();
  else if (!dm_.NotificationAreaAvailable())
    showMinimized(); // hidden, nothing would show that the program runs
}

void TfrmMain::FormDestroy() {
  shell_->StopTimers();
  delete frmSettings; // writes its geometry, and edits the lists below
  frmSettings = nullptr;
  dm_.CloseMessages();
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
  // Stored under other screens or another scale, the place may be off them.
  const QRect placed = FitToScreens(QRect(layout.Left, layout.Top, layout.Width, layout.Height));
  move(placed.topLeft());
  resize(placed.size());
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
  if (request == 0) {
    ShowMainWindow();
  } else if (request == 1) {
    RefreshPlayers(nullptr);
    tray_->Invalidate();
    RefreshTray();
  }
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
  // Hidden, the window has no taskbar button: only the tray icons remain.
  // Without a notification area it would be lost, so it only goes down to
  // the taskbar.
  if (dm_.NotificationAreaAvailable())
    hide();
  else
    showMinimized();
}
