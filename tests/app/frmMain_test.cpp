#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QScreen>
#include <QSplitter>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>

#include <gtest/gtest.h>

#include <memory>

#include "app/Unit1.h"
#include "app/dm.h"
#include "config/AppSettings.h"
#include "config/IniFile.h"
#include "config/SettingsFile.h"
#include "dialogs/about.h"
#include "model/server.h"
#include "tests/app/FrmMainFixture.h"
#include "tests/dialogs/ModalScript.h"
#include "tests/support/ScratchProgramFolder.h"
#include "util/app_dir.h"
#include "util/datetime.h"

namespace {

TEST_F(FrmMainTest, WithoutWindowSectionUsesDesignLayoutAndSavesAllTwelveKeys) {
  TfrmMain& window = Start(kShown);
  EXPECT_EQ(window.windowTitle(), "Skarvel/Quake/CS Servers");
  EXPECT_EQ(window.width(), 435);
  EXPECT_EQ(window.height(), 348);
  EXPECT_EQ(Child<QTreeWidget>("lvServers")->columnWidth(2), 105);
  EXPECT_EQ(Child<QTreeWidget>("lvPlayers")->columnWidth(0), 150);
  Stop();

  const TIniFile ini = Stored();
  const auto keys = ini.ReadSection("Window");
  EXPECT_EQ(keys, (std::vector<std::string>{"Left", "Top", "Width", "Height", "ServersHeight",
                                            "ServersWidth0", "ServersWidth1", "ServersWidth2",
                                            "ServersWidth3", "ServersWidth4", "PlayersWidth0",
                                            "PlayersWidth1"}));
  EXPECT_EQ(ini.ReadInteger("Window", "Width", 0), 435);
  EXPECT_EQ(ini.ReadInteger("Window", "Height", 0), 348);
  EXPECT_EQ(ini.ReadInteger("Window", "ServersHeight", 0), 109);
  EXPECT_EQ(ini.ReadInteger("Window", "ServersWidth0", 0), 95);
  EXPECT_EQ(ini.ReadInteger("Window", "PlayersWidth1", 0), 50);
}

TEST_F(FrmMainTest, StoredLayoutIsRestoredAndWrittenBack) {
  TfrmMain& window =
      Start(std::string(kShown) +
            "[window]\nleft=30\nTop=40\nWidth=600\nHeight=500\nServersHeight=200\n"
            "ServersWidth0=81\nServersWidth1=82\nServersWidth2=83\nServersWidth3=84\n"
            "ServersWidth4=85\nPlayersWidth0=170\nPlayersWidth1=-7\n");
  QApplication::processEvents();
  EXPECT_EQ(window.size(), QSize(600, 500));
  EXPECT_EQ(Child<QTreeWidget>("lvServers")->height(), 200);
  EXPECT_EQ(Child<QTreeWidget>("lvServers")->columnWidth(4), 85);
  EXPECT_EQ(Child<QTreeWidget>("lvPlayers")->columnWidth(0), 170);
  // Not a width: the design width stands.
  EXPECT_EQ(Child<QTreeWidget>("lvPlayers")->columnWidth(1), 50);
  Stop();

  const TIniFile ini = Stored();
  EXPECT_EQ(ini.ReadInteger("Window", "Width", 0), 600);
  EXPECT_EQ(ini.ReadInteger("Window", "ServersHeight", 0), 200);
  EXPECT_EQ(ini.ReadInteger("Window", "ServersWidth3", 0), 84);
  EXPECT_EQ(ini.ReadInteger("Window", "PlayersWidth1", 0), 50);
}

// Saved at another scale or on a larger screen: on the offscreen screen of
// 800 by 600 pixels it would reach far past the edges.
TEST_F(FrmMainTest, AStoredPlaceOffTheScreenIsBroughtBackOntoIt) {
  TfrmMain& window =
      Start(std::string(kShown) + "[Window]\nLeft=801\nTop=620\nWidth=1600\nHeight=1200\n");
  QApplication::processEvents();
  const QRect screen = window.screen()->availableGeometry();
  ASSERT_LT(screen.width(), 1600);
  EXPECT_TRUE(screen.contains(QRect(window.pos(), window.size())))
      << window.x() << "," << window.y() << " " << window.width() << "x" << window.height();
  EXPECT_EQ(window.width(), screen.width());
}

TEST_F(FrmMainTest, VersionIsWrittenOnlyWhenAbsent) {
  struct Case {
    const char* ini;
    bool versionless;
    const char* stored;
  } cases[] = {
      {"", true, "2.5"},
      {"[Common]\nVersion=\n", true, "2.5"},
      {"[Common]\nVersion=2.4\n", false, "2.4"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ini);
    TfrmMain& window = Start(c.ini);
    EXPECT_EQ(window.VersionlessIni(), c.versionless);
    EXPECT_EQ(Stored().ReadString("Common", "Version", ""), c.stored);
    EXPECT_EQ(IniOpenCount(), 0);
    Stop();
  }
}

TEST_F(FrmMainTest, CloseAndEscapeHideTheWindowExitEndsIt) {
  TfrmMain& window = Start(kShown);
  ASSERT_TRUE(window.isVisible());
  window.close();
  EXPECT_FALSE(window.isVisible());
  EXPECT_FALSE(window.ReallyClose());

  window.WMUser(0);
  EXPECT_TRUE(window.isVisible());
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  QTest::keyClick(Child<QTreeWidget>("lvServers"), Qt::Key_Escape);
  EXPECT_FALSE(window.isVisible());

  window.WMUser(7); // not a request of ours
  EXPECT_FALSE(window.isVisible());

  window.WMUser(0);
  Child<QAction>("mnHide")->trigger();
  EXPECT_FALSE(window.isVisible());

  Child<QAction>("mnExitMain")->trigger();
  EXPECT_TRUE(window.ReallyClose());
}

// Hidden without a notification area, the window could only come back through
// a second start of the program: it goes down to the taskbar instead.
TEST_F(FrmMainTest, WithoutNotificationAreaCloseEscapeAndHideMinimise) {
  notificationArea_ = false;
  TfrmMain& window = Start(kShown);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  window.close();
  EXPECT_TRUE(window.isVisible());
  EXPECT_TRUE(window.isMinimized());
  EXPECT_FALSE(window.ReallyClose());

  window.WMUser(0);
  EXPECT_FALSE(window.isMinimized());
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  QTest::keyClick(Child<QTreeWidget>("lvServers"), Qt::Key_Escape);
  EXPECT_TRUE(window.isVisible());
  EXPECT_TRUE(window.isMinimized());

  window.WMUser(0);
  Child<QAction>("mnHide")->trigger();
  EXPECT_TRUE(window.isVisible());
  EXPECT_TRUE(window.isMinimized());
}

TEST_F(FrmMainTest, StartInTrayStartsHiddenOrWithoutNotificationAreaMinimised) {
  struct Case {
    bool notificationArea;
    bool visible;
    bool minimized;
  } cases[] = {{true, false, false}, {false, true, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.notificationArea ? "with a notification area" : "without one");
    notificationArea_ = c.notificationArea;
    TfrmMain& window = Start("[Appearance]\nStartInTray=1\n");
    EXPECT_EQ(window.isVisible(), c.visible);
    EXPECT_EQ(window.isMinimized(), c.minimized);
    Stop();
  }
}

TEST_F(FrmMainTest, EndOfSessionClosesAndLogsTheEnd) {
  TfrmMain& window = Start(std::string(kShown) + "[Network]\nStats=1\n");
  window.EndSession();
  EXPECT_TRUE(window.ReallyClose());
  Stop();
  const std::string log = home_.read("stats.txt");
  const auto started = log.find(" Program started\n");
  const auto terminated = log.find(" Program terminated\n");
  ASSERT_NE(started, std::string::npos) << log;
  ASSERT_NE(terminated, std::string::npos) << log;
  EXPECT_LT(started, terminated);
}

TEST_F(FrmMainTest, NoStatsFileWhileStatsIsOff) {
  Start(kShown);
  Stop();
  EXPECT_FALSE(home_.exists("stats.txt"));
}

TEST_F(FrmMainTest, MenusCarryTheirNamesCaptionsAndShortcuts) {
  Start(kShown);
  struct Entry {
    const char* name;
    const char* caption;
    QKeySequence shortcut;
  } entries[] = {
      {"mnSettings", "&Settings", QKeySequence(Qt::ALT | Qt::Key_S)},
      {"mnDesc", "S&erver properties", QKeySequence(Qt::Key_F2)},
      {"mnExitMain", "E&xit", QKeySequence(Qt::ALT | Qt::Key_X)},
      {"mnRefresh", "&Refresh", QKeySequence(Qt::Key_F5)},
      {"mnHide", "&Hide", QKeySequence()},
      {"mnServerStats", "S&erver stats", QKeySequence(Qt::Key_F8)},
      {"mnStats", "&Stats", QKeySequence(Qt::Key_F9)},
      {"mnGo", "&Go !", QKeySequence()},
      {"mnServersDesc", "S&erver properties", QKeySequence(Qt::Key_F2)},
      {"mnServersGo", "&Go!", QKeySequence()},
      {"mnPlayersCopy", "Copy", QKeySequence(Qt::CTRL | Qt::Key_C)},
      {"mnAbout", "&About...", QKeySequence()},
      {"mnExit", "&Exit", QKeySequence()},
  };
  for (const Entry& e : entries) {
    SCOPED_TRACE(e.name);
    auto* action = Child<QAction>(e.name);
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->text(), e.caption);
    EXPECT_EQ(action->shortcut(), e.shortcut);
  }
  EXPECT_EQ(Child<QMenu>("mnuFile")->title(), "&File");
  EXPECT_EQ(Child<QMenu>("mnuView")->title(), "&View");
}

TEST_F(FrmMainTest, ViewsAndTrayMenuHaveTheirShape) {
  Start(kShown);
  auto* servers = Child<QTreeWidget>("lvServers");
  ASSERT_NE(servers, nullptr);
  EXPECT_EQ(servers->headerItem()->text(0), "Host");
  EXPECT_EQ(servers->headerItem()->text(4), "Players");
  EXPECT_EQ(servers->columnCount(), 5);
  EXPECT_EQ(Child<QTreeWidget>("lvPlayers")->columnCount(), 2);
  ASSERT_NE(Child<QSplitter>("Splitter1"), nullptr);
  EXPECT_EQ(Child<QProgressBar>("pgs")->height(), 8);

  auto* tray = Child<QMenu>("pmTray");
  ASSERT_NE(tray, nullptr);
  // 16 server entries, a separator, 16 buddy entries, a separator, About, Exit.
  ASSERT_EQ(tray->actions().size(), 36);
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(tray->actions()[i]->objectName(), QStringLiteral("N%11").arg(i + 1));
    EXPECT_FALSE(tray->actions()[i]->isVisible());
    EXPECT_EQ(tray->actions()[17 + i]->objectName(), QStringLiteral("B%11").arg(i + 1));
    EXPECT_FALSE(tray->actions()[17 + i]->isVisible());
  }
  EXPECT_TRUE(tray->actions()[16]->isSeparator());
  EXPECT_FALSE(tray->actions()[16]->isVisible()); // while no buddy plays
  EXPECT_TRUE(tray->actions()[33]->isSeparator());
}

TEST_F(FrmMainTest, GoAndServerPropertiesNeedAServer) {
  Start(kShown);
  for (const char* name : {"mnGo", "mnServersGo", "mnDesc", "mnServersDesc"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(Child<QAction>(name)->isEnabled());
  }
}

TEST_F(FrmMainTest, LastUpdateDefaultsToTheBuildStamp) {
  const double stamp = 45000.75;
  dm_ = std::make_unique<Tdm>(stamp);
  EXPECT_EQ(AppSettings.LastUpdate, stamp);
  home_.write("skarvel.ini", WithLoopbackAddress(kShown));
  window_ = std::make_unique<TfrmMain>(*dm_);
  EXPECT_EQ(AppSettings.LastUpdate, stamp);
  Stop();

  const double stored = 46000; // a date without time, as the file holds it
  home_.write("skarvel.ini", WithLoopbackAddress(std::string(kShown) + "[Network]\nLastUpdate=" +
                                                 DateToStr(stored) + "\n"));
  dm_ = std::make_unique<Tdm>(stamp);
  window_ = std::make_unique<TfrmMain>(*dm_);
  EXPECT_EQ(AppSettings.LastUpdate, stored);
}

// Records what the program hands to the desktop to open.
class OpenedUrls : public QObject {
  Q_OBJECT
public:
  QList<QUrl> urls;
public slots:
  void open(const QUrl& url) { urls.append(url); }
};

TEST_F(FrmMainTest, GeneralLogOpensStatsFileOfTheProgramFolder) {
  OpenedUrls opened;
  QDesktopServices::setUrlHandler("file", &opened, "open");
  Start(std::string(kShown) + "[Network]\nStats=1\n");
  Child<QAction>("mnStats")->trigger();
  QDesktopServices::unsetUrlHandler("file");
  ASSERT_EQ(opened.urls.size(), 1);
  EXPECT_EQ(opened.urls[0].toLocalFile().toStdString(), home_.file("stats.txt"));
}

struct LogCase {
  const char* name;
  bool logging;       // "Stats" in the settings
  const char* action; // the menu entry chosen
  bool logThere;      // the server's log file exists
  const char* note;   // the note shown; nullptr when the file opens
};

void PrintTo(const LogCase& c, std::ostream* out) {
  *out << c.name;
}

class LogMenuTest : public FrmMainTest, public ::testing::WithParamInterface<LogCase> {};

// Opening a file that is not there shows nothing: the entries say why instead.
TEST_P(LogMenuTest, OpensTheLogOrSaysWhyThereIsNone) {
  const LogCase& c = GetParam();
  if (c.logThere)
    home_.write("rail.log", "01/02/24 10:00:00 anna joined\n");
  Start(std::string(kShown) + "[Network]\nStats=" + (c.logging ? "1" : "0") + "\n");
  auto made = TServer::CreateFromStore(window_->Monitor().Games, window_->Roles(), "10.0.0.1", 0, 2,
                                       45000.0);
  made->Log = "rail.log";
  TServer& server = *made;
  window_->Monitor().Servers.Add(std::move(made));
  server.SetOnline(true);
  window_->RefreshServers();
  window_->SelectServer(server);
  ASSERT_EQ(window_->ShownServer(), &server);

  OpenedUrls opened;
  QDesktopServices::setUrlHandler("file", &opened, "open");
  TModalScript script;
  if (c.note)
    script.ThenAccept();
  Child<QAction>(c.action)->trigger();
  QDesktopServices::unsetUrlHandler("file");
  EXPECT_EQ(script.Unanswered(), 0);
  if (c.note) {
    EXPECT_TRUE(opened.urls.isEmpty());
    EXPECT_EQ(script.MessageTexts(), QStringList{QString::fromUtf8(c.note).replace(
                                         "<log>", QString::fromStdString(home_.file("rail.log")))});
  } else {
    EXPECT_TRUE(script.MessageTexts().isEmpty());
    EXPECT_EQ(opened.urls.size(), 1);
  }
}

constexpr const char* kLoggingOff =
    "Nothing is logged: turn on “Log stats” in File › Settings to keep a log.";

INSTANTIATE_TEST_SUITE_P(
    Cases, LogMenuTest,
    ::testing::Values(LogCase{"StatsWithLoggingOff", false, "mnStats", false, kLoggingOff},
                      LogCase{"ServerStatsWithLoggingOff", false, "mnServerStats", false,
                              kLoggingOff},
                      LogCase{"ServerStatsNotLoggedYet", true, "mnServerStats", false,
                              "Nothing has been logged into <log> yet."},
                      LogCase{"ServerStatsOfEarlierLogging", false, "mnServerStats", true, nullptr},
                      LogCase{"ServerStatsLogged", true, "mnServerStats", true, nullptr}),
    [](const ::testing::TestParamInfo<LogCase>& test) { return std::string(test.param.name); });

TEST_F(FrmMainTest, HomepageOpensInTheBrowser) {
  OpenedUrls opened;
  QDesktopServices::setUrlHandler("http", &opened, "open");
  Start(kShown);
  dm_->OpenHomepage();
  QDesktopServices::unsetUrlHandler("http");
  ASSERT_EQ(opened.urls.size(), 1);
  EXPECT_EQ(opened.urls[0].scheme(), "http");
}

TEST_F(FrmMainTest, TrayAboutShowsTheModalAboutBoxWhoseLinkOpensTheHomepage) {
  OpenedUrls opened;
  QDesktopServices::setUrlHandler("http", &opened, "open");
  // A loaded statistics plug-in is listed with the program.
  std::filesystem::copy_file(HISTORY_PLUGIN, home_.file("history.so"));
  Start(""); // in the tray, the window hidden
  QPointer<TfrmAbout> box;
  bool modal = false;
  QStringList rows;
  QTimer::singleShot(0, [&] {
    box = qobject_cast<TfrmAbout*>(QApplication::activeModalWidget());
    modal = box && box->isModal();
    if (!box) // not modal: close it all the same
      box = window_->findChild<TfrmAbout*>();
    if (!box)
      return;
    const auto* list = box->findChild<QTreeWidget*>("lvVersion");
    for (int i = 0; list && i < list->topLevelItemCount(); ++i)
      rows << list->topLevelItem(i)->text(0) + " " + list->topLevelItem(i)->text(1);
    QTest::mouseClick(box->findChild<QLabel*>("laURL"), Qt::LeftButton);
  });
  Child<QAction>("mnAbout")->trigger();
  QDesktopServices::unsetUrlHandler("http");

  EXPECT_TRUE(modal);
  EXPECT_EQ(rows,
            (QStringList{"history.so 1.0",
                         QFileInfo(QCoreApplication::applicationFilePath()).fileName() + " 2.5"}));
  EXPECT_EQ(opened.urls, QList<QUrl>{QUrl(Tdm::Homepage())});
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(box.isNull()) << "the box deletes itself when closed";
}

// Answers the next modal file dialog: picks the file, or cancels when it is empty.
void AnswerFileDialog(const QString& file, QString* title, QString* filter) {
  QTimer::singleShot(0, [=] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    *title = dialog->windowTitle();
    *filter = dialog->nameFilters().join(";;");
    if (file.isEmpty()) {
      static_cast<QDialog*>(dialog)->reject();
      return;
    }
    dialog->selectFile(file);
    static_cast<QDialog*>(dialog)->accept();
  });
}

TEST_F(FrmMainTest, FilePickersShareOneDialogWithTheirOwnTitles) {
  Start(kShown);
  home_.write("ding.wav", "RIFF");
  const QString wav = QString::fromStdString(home_.file("ding.wav"));
  QString title, filter;

  AnswerFileDialog(wav, &title, &filter);
  EXPECT_EQ(dm_->SelectSoundFile(), std::optional<QString>(wav));
  EXPECT_EQ(title, "Select sound");
  EXPECT_TRUE(filter.contains("*.wav")) << filter.toStdString();

  AnswerFileDialog(QString(), &title, &filter);
  EXPECT_EQ(dm_->SelectIconFile(), std::nullopt);
  EXPECT_EQ(title, "Select icon");

  AnswerFileDialog(QString(), &title, &filter);
  EXPECT_EQ(dm_->SelectLogFile(), std::nullopt);
  EXPECT_EQ(title, "Select log file");
}

// Linux games have no extension: the picker's filter must let them through.
TEST_F(FrmMainTest, ExecutablePickerNamesTheGameAndListsFilesWithoutExtension) {
  Start(kShown);
  const QString game = QString::fromStdString(home_.write("bin/ioquake3", "#!/bin/sh\n"));
  QString title, filter;
  AnswerFileDialog(game, &title, &filter);
  EXPECT_EQ(dm_->SelectExecutableFile("ioquake3", "Quake 3"), std::optional<QString>(game));
  EXPECT_EQ(title, "Select game executable: Quake 3");
  const QString patterns = filter.section(QLatin1Char('('), 1).section(QLatin1Char(')'), 0, 0);
  EXPECT_TRUE(QDir::match(patterns, "ioquake3")) << filter.toStdString();
}

// Answers every modal box that opens while `work` runs: file dialogs are
// cancelled, message boxes are read and closed.
QStringList AnswerModals(const std::function<void()>& work) {
  QStringList messages;
  QTimer answer;
  QObject::connect(&answer, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      messages << box->text();
      box->accept();
    } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
      dialog->reject();
    }
  });
  answer.start(0);
  work();
  return messages;
}

TEST_F(FrmMainTest, GoWithAGameThatIsNotInstalledSaysWhatIsMissing) {
  TfrmMain& window = Start(kShown);
  auto made = TServer::CreateFromStore(window.Monitor().Games, window.Roles(), "127.0.0.1", 0,
                                       3 /* Quake 3 */, 1.0);
  TServer& server = *made;
  window.Monitor().Servers.Add(std::move(made));
  server.SetOnline(true);
  window.RefreshServers();
  window.SelectServer(server);
  window.Monitor().Games.FindById(3)->Executable = "skarvel-no-such-game";

  const QStringList messages = AnswerModals([&] { window.mnGoClick(); });
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].contains("Quake 3")) << messages[0].toStdString();
  EXPECT_TRUE(messages[0].contains("“skarvel-no-such-game” was found on PATH"))
      << messages[0].toStdString();
  EXPECT_FALSE(window.ReallyClose());
}

TEST_F(FrmMainTest, FirstStartShowsTheWindowAndLaterStartsKeepToTheTray) {
  MakeDataModule();
  // The file start-up makes gets loopback addresses before it is read.
  dm_->IniFileCreated = [this] {
    home_.write("skarvel.ini",
                WithLoopbackAddress("[Common]\nVersion=2.5\n[Network]\nCheckUpdates=0\n"));
  };
  ASSERT_FALSE(home_.exists("skarvel.ini"));
  window_ = std::make_unique<TfrmMain>(*dm_);
  EXPECT_TRUE(AppSettings.StartInTray);
  EXPECT_TRUE(window_->isVisible());
  const auto* hint = Child<QLabel>("lvServersHint");
  ASSERT_NE(hint, nullptr);
  EXPECT_TRUE(hint->isVisible());
  EXPECT_TRUE(hint->text().contains("127.0.0.1:7790 (Unreal Tournament'2004)"))
      << hint->text().toStdString();
  Stop();

  dm_->IniFileCreated = [] { FAIL() << "the file exists now"; };
  window_ = std::make_unique<TfrmMain>(*dm_);
  EXPECT_FALSE(window_->isVisible());
}

TEST_F(FrmMainTest, EmptyServerViewNamesTheEnabledAddresses) {
  struct Case {
    const char* addresses;
    const char* hint;
  } cases[] = {
      {"127.0.0.1,q3=1\n",
       "Polling 127.0.0.1 (Quake 3); no server has answered yet. Add your servers in File › "
       "Settings."},
      {"127.0.0.1,q3=1\n127.0.0.2:27000,q2=1\n127.0.0.3,ut=0\n127.0.0.4,cs=1\n"
       "127.0.0.5,css=1\n127.255.255.255,q3=1\n",
       "Polling 127.0.0.1 (Quake 3), 127.0.0.2:27000 (Quake 2), 127.0.0.4 (Counter-Strike) and 2 "
       "more; no server has answered yet. Add your servers in File › Settings."},
      {"127.0.0.1,q3=0\n", "No address is polled. Add your servers in File › Settings."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.addresses);
    home_.write("skarvel.ini", std::string(kShown) + "[Address]\n" + c.addresses);
    MakeDataModule();
    window_ = std::make_unique<TfrmMain>(*dm_);
    EXPECT_EQ(Child<QLabel>("lvServersHint")->text().toStdString(), c.hint);
    Stop();
  }
}

} // namespace

#include "frmMain_test.moc"
