#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>

#include "frmSettingsFixture.h"

namespace {

using Lines = std::vector<std::string>;

constexpr int32_t kFirstIconFileImage = 7; // the fake image list's first loaded file
constexpr int32_t kUTImage = 1;            // UT's built-in image

QStringList TabCaptions(const QTabBar& tabs) {
  QStringList captions;
  for (int i = 0; i < tabs.count(); ++i)
    captions << tabs.tabText(i);
  return captions;
}

TEST_F(FrmSettingsTest, PagesCarryTheirCaptions) {
  Open(kTwoAddresses);
  EXPECT_EQ(dialog_->windowTitle(), "Settings");
  const QTabWidget& pages = Child<QTabWidget>("PageControl1");
  ASSERT_EQ(pages.count(), 4);
  EXPECT_EQ(pages.tabText(0), "Add&resses");
  EXPECT_EQ(pages.tabText(1), "&Games");
  EXPECT_EQ(pages.tabText(2), "A&pplication");
  EXPECT_EQ(pages.widget(0)->objectName(), "tsAddr");
  EXPECT_EQ(pages.widget(1)->objectName(), "tsGames");
  EXPECT_EQ(pages.tabText(3), "&Buddies");
  EXPECT_EQ(pages.widget(2)->objectName(), "tsApp");
  EXPECT_EQ(pages.widget(3)->objectName(), "tsBuddies");
  EXPECT_TRUE(Child<QPushButton>("btOk").isDefault());
  EXPECT_EQ(Child<QPushButton>("btOk").text(), "&OK");
  EXPECT_EQ(Child<QPushButton>("btCancel").text(), "Cancel");
  EXPECT_GE(dialog_->minimumWidth(), 392);
  EXPECT_GE(dialog_->minimumHeight(), 409);
}

TEST_F(FrmSettingsTest, GamesPageHasATabPerGameWithLaunchSettingsOfItsOwn) {
  // A plug-in type that shares Counter-Strike's launch settings gets no tab.
  extraGames_ = [](TGameList& games) {
    auto shared = std::make_unique<TGame>();
    shared->Defs.Key = "fx";
    shared->Defs.Tag = "cs";
    shared->Defs.Caption = "&FX";
    games.Append(std::move(shared));
  };
  Open(kTwoAddresses);
  ASSERT_EQ(games_.Items(7).LaunchId, 4);
  // Alt+P stays the Application page's: the patched Counter-Strike's tab
  // gives up its accelerator.
  EXPECT_EQ(TabCaptions(Child<QTabBar>("tcGames")),
            (QStringList{"&UT", "UT200&4", "Q&2", "Q&3", "&CS", "CS(P)", "CS:&S"}));
  EXPECT_EQ(Child<QLabel>("laGameTitle").text(), "Unreal Tournament'99");
  EXPECT_TRUE(Child<QLabel>("laGameTitle").font().bold());
  EXPECT_EQ(Child<QLineEdit>("edExe").text(), "ut");
  EXPECT_EQ(Child<QLineEdit>("edParams").text(), "%1");

  // The tabs were made while their page was out of sight: they show with it.
  Child<QTabWidget>("PageControl1").setCurrentIndex(1);
  QApplication::processEvents();
  EXPECT_GE(Child<QTabBar>("tcGames").height(), Child<QTabBar>("tcGames").sizeHint().height());
}

TEST_F(FrmSettingsTest, GamesPageKeepsEachTabsEditsAndOkStoresThem) {
  Open("[Game]\nq3=\"/opt/quake 3/q3\" +connect %1\n[GameCfg]\nq3=,q3.wav,q3.log\n" +
       std::string(kTwoAddresses));
  QTabBar& tabs = Child<QTabBar>("tcGames");
  tabs.setCurrentIndex(3);
  EXPECT_EQ(Child<QLabel>("laGameTitle").text(), "Quake 3");
  EXPECT_EQ(Child<QLineEdit>("edExe").text(), "/opt/quake 3/q3");
  EXPECT_EQ(Child<QLineEdit>("edSound").text(), "q3.wav");
  Type("edParams", "+set fs_game baseoa +connect %1");
  Type("edLog", "");

  tabs.setCurrentIndex(0);
  EXPECT_EQ(Child<QLineEdit>("edExe").text(), "ut");
  Type("edExe", "/usr/games/ut");
  Type("edSound", "/no/such/sound.wav"); // stored as typed
  tabs.setCurrentIndex(3);
  EXPECT_EQ(Child<QLineEdit>("edParams").text(), "+set fs_game baseoa +connect %1");
  EXPECT_EQ(Child<QLineEdit>("edLog").text(), "");
  EXPECT_EQ(games_.Items(3).Parameters, "+connect %1") << "the live registry waits for OK";

  Click("btOk");
  ASSERT_TRUE(Accepted());
  const TIniFile ini = Stored();
  EXPECT_EQ(ini.ReadRawString("Game", "ut", ""), "/usr/games/ut %1");
  EXPECT_EQ(ini.ReadRawString("GameCfg", "ut", ""), ",/no/such/sound.wav,");
  EXPECT_EQ(ini.ReadRawString("Game", "q3", ""),
            "\"/opt/quake 3/q3\" +set fs_game baseoa +connect %1");
  EXPECT_EQ(ini.ReadRawString("GameCfg", "q3", ""), ",q3.wav,");
  EXPECT_EQ(games_.Items(0).Executable, "/usr/games/ut");
  EXPECT_EQ(games_.Items(3).Log, "");
}

TEST_F(FrmSettingsTest, BrowseButtonsFillTheirFieldsFromThePickers) {
  Open(kTwoAddresses);
  Child<QTabBar>("tcGames").setCurrentIndex(3);
  services_.Answers = {QStringLiteral("/usr/games/ioq3"), QStringLiteral("/snd/q3.wav"),
                       QStringLiteral("/log/q3.log"), QStringLiteral("/snd/online.wav"),
                       std::nullopt};
  Click("btExe");
  Click("btSound");
  Click("btLog");
  Click("btOnlineSound");
  Click("btExe"); // cancelled: the field keeps its text
  EXPECT_EQ(services_.Asked, (std::vector<QString>{"exe:ioquake3:Quake 3", "sound", "log", "sound",
                                                   "exe:/usr/games/ioq3:Quake 3"}));
  EXPECT_EQ(Child<QLineEdit>("edExe").text(), "/usr/games/ioq3");
  EXPECT_EQ(Child<QLineEdit>("edSound").text(), "/snd/q3.wav");
  EXPECT_EQ(Child<QLineEdit>("edLog").text(), "/log/q3.log");
  EXPECT_EQ(Child<QLineEdit>("edOnlineSound").text(), "/snd/online.wav");

  Click("btOk");
  EXPECT_EQ(Stored().ReadRawString("Game", "q3", ""), "/usr/games/ioq3 +connect %1");
  EXPECT_EQ(Stored().ReadString("Appearance", "OnlineSound", ""), "/snd/online.wav");
}

TEST_F(FrmSettingsTest, AnIconThatLoadsIsShownAtOnceAndOneThatDoesNotFallsBackToTheDefault) {
  const std::string icon = tmp_.write("home/ut.ico", "icon");
  Open(kTwoAddresses);
  services_.Answers = {QString::fromStdString(icon)};
  Click("btIcon");
  EXPECT_EQ(Child<QLineEdit>("edIcon").text(), QString::fromStdString(icon));
  EXPECT_EQ(services_.IconsLoaded, (std::vector<std::string>{icon})) << "loaded at once";

  // A file that does not exist, typed on another tab, leaves that game its own image.
  QTabBar& tabs = Child<QTabBar>("tcGames");
  tabs.setCurrentIndex(1);
  Type("edIcon", "/no/such/u4.ico");
  tabs.setCurrentIndex(0);
  tabs.setCurrentIndex(1);
  EXPECT_EQ(services_.IconsLoaded.size(), 1u) << "a name loads once, when it changes";

  Click("btOk");
  ASSERT_TRUE(Accepted());
  EXPECT_EQ(games_.Items(0).IconFile, icon);
  EXPECT_EQ(games_.Items(0).IconIndex, kFirstIconFileImage);
  EXPECT_EQ(games_.Items(1).IconFile, "/no/such/u4.ico");
  EXPECT_EQ(games_.Items(1).IconIndex, games_.Items(1).DefaultIconIndex);
  EXPECT_EQ(Stored().ReadRawString("GameCfg", "u4", ""), "/no/such/u4.ico,,");
  EXPECT_EQ(games_.Items(0).DefaultIconIndex, kUTImage);
}

TEST_F(FrmSettingsTest, ApplicationPageShowsTheSettingsInMemory) {
  Open("[Network]\nInterval=7000\nMaxWaitAnswer=300\nCheckUpdates=0\nStats=1\n"
       "[Appearance]\nTrayNew=0\nDigits=0\nDoubleClick=1\nQuit=1\nStartInTray=0\n"
       "PopupMessages=0\nOnlineSound=ding.wav\n" +
       std::string(kTwoAddresses));
  EXPECT_EQ(Child<QLineEdit>("edInterval").text(), "7000");
  EXPECT_EQ(Child<QLineEdit>("edWaitAns").text(), "300");
  EXPECT_FALSE(Child<QCheckBox>("chUpdate").isChecked());
  EXPECT_EQ(Child<QLineEdit>("edCheck").text(), "");
  EXPECT_FALSE(Child<QLineEdit>("edCheck").isEnabled());
  EXPECT_FALSE(Child<QLabel>("laCheckInterval").isEnabled());
  const std::pair<const char*, bool> checks[] = {
      {"chStat", true}, {"chDigits", false}, {"chDbl", true},
      {"chQuit", true}, {"chTray", false},   {"chPopup", false},
  };
  for (const auto& [name, on] : checks)
    EXPECT_EQ(Child<QCheckBox>(name).isChecked(), on) << name;
  EXPECT_TRUE(Child<QRadioButton>("rbCommonIcon").isChecked());
  EXPECT_EQ(Child<QLineEdit>("edOnlineSound").text(), "ding.wav");

  // The poll cycle may have raised the interval in memory: that is what shows.
  dialog_->hide();
  AppSettings.Interval = 9500;
  AppSettings.CheckUpdates = 12;
  dialog_->show();
  EXPECT_EQ(Child<QLineEdit>("edInterval").text(), "9500");
  EXPECT_TRUE(Child<QCheckBox>("chUpdate").isChecked());
  EXPECT_EQ(Child<QLineEdit>("edCheck").text(), "12");
  EXPECT_TRUE(Child<QLineEdit>("edCheck").isEnabled());
}

TEST_F(FrmSettingsTest, ApplicationPageStoresEveryValueUnderItsKey) {
  Open(kTwoAddresses);
  for (const char* name : {"chStat", "chDigits", "chDbl", "chQuit", "chTray", "chPopup"})
    Click(name); // each the opposite of its default
  Click("rbNoIcon");
  Type("edOnlineSound", "/no/such/online.wav");
  Type("edInterval", "0"); // polls only on demand
  Type("edWaitAns", "750");
  Type("edCheck", "7");
  Click("btOk");
  ASSERT_TRUE(Accepted());

  const TIniFile ini = Stored();
  const std::tuple<const char*, const char*, const char*> keys[] = {
      {"Network", "Interval", "0"},
      {"Network", "MaxWaitAnswer", "750"},
      {"Network", "CheckUpdates", "7"},
      {"Network", "Stats", "1"},
      {"Appearance", "TrayNew", "2"},
      {"Appearance", "Digits", "0"},
      {"Appearance", "DoubleClick", "1"},
      {"Appearance", "Quit", "1"},
      {"Appearance", "StartInTray", "0"},
      {"Appearance", "PopupMessages", "0"},
      {"Appearance", "OnlineSound", "/no/such/online.wav"},
      {"Appearance", "Language", "English.lng"},
  };
  for (const auto& [section, key, value] : keys)
    EXPECT_EQ(ini.ReadString(section, key, "(none)"), value) << section << " " << key;
  EXPECT_EQ(AppSettings.Interval, 0);
  EXPECT_EQ(AppSettings.TrayNew, 2);
  EXPECT_FALSE(AppSettings.Digits);
}

struct TrayNewCase {
  int stored;
  const char* checked; // the radio button shown, or none
  int saved;           // what OK stores without a change
};

class TrayNewTest : public FrmSettingsTest, public ::testing::WithParamInterface<TrayNewCase> {};

TEST_P(TrayNewTest, ShowsTheStoredChoiceAndStoresItBack) {
  Open("[Appearance]\nTrayNew=" + std::to_string(GetParam().stored) + "\n" + kTwoAddresses);
  for (const char* name : {"rbOwnIcon", "rbCommonIcon", "rbNoIcon"})
    EXPECT_EQ(Child<QRadioButton>(name).isChecked(),
              GetParam().checked && std::string(name) == GetParam().checked)
        << name;
  Click("btOk");
  EXPECT_EQ(Stored().ReadInteger("Appearance", "TrayNew", -1), GetParam().saved);
}

INSTANTIATE_TEST_SUITE_P(Cases, TrayNewTest,
                         ::testing::Values(TrayNewCase{0, "rbCommonIcon", 0},
                                           TrayNewCase{1, "rbOwnIcon", 1},
                                           TrayNewCase{2, "rbNoIcon", 2},
                                           TrayNewCase{5, nullptr, 2}));

struct NumbersCase {
  const char* name;
  const char* interval;
  const char* wait;
  bool check;
  const char* days;
  int32_t storedInterval;
  int32_t storedWait;
  int32_t storedDays;
};

class NumbersTest : public FrmSettingsTest, public ::testing::WithParamInterface<NumbersCase> {};

TEST_P(NumbersTest, TheNumbersAreStoredWithTheirDefaultsAndLimits) {
  const NumbersCase& c = GetParam();
  Open(kTwoAddresses);
  Type("edInterval", c.interval);
  Type("edWaitAns", c.wait);
  if (Child<QCheckBox>("chUpdate").isChecked() != c.check)
    Click("chUpdate");
  Type("edCheck", c.days);
  Click("btOk");
  ASSERT_TRUE(Accepted());
  const TIniFile ini = Stored();
  EXPECT_EQ(ini.ReadString("Network", "Interval", ""), std::to_string(c.storedInterval));
  EXPECT_EQ(ini.ReadString("Network", "MaxWaitAnswer", ""), std::to_string(c.storedWait));
  EXPECT_EQ(ini.ReadString("Network", "CheckUpdates", ""), std::to_string(c.storedDays));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NumbersTest,
    ::testing::Values(NumbersCase{"Plain", "5000", "400", true, "14", 5000, 400, 14},
                      NumbersCase{"WaitBelowTheLeast", "5000", "20", true, "14", 5000, 50, 14},
                      NumbersCase{"WaitNegative", "5000", "-300", true, "14", 5000, 50, 14},
                      NumbersCase{"WaitNotANumber", "5000", "abc", true, "x", 5000, 500, 30},
                      NumbersCase{"HexadecimalTexts", "$10", "0x100", true, " 3", 16, 256, 3},
                      NumbersCase{"LargestInterval", "2147483647", "2147483647", true, "1",
                                  2147483647, 2147483647, 1},
                      NumbersCase{"UpdatesOffWhateverTheDays", "3000", "500", false, "14", 3000,
                                  500, 0}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(FrmSettingsTest, CheckForUpdatesEnablesItsDays) {
  Open(kTwoAddresses);
  ASSERT_TRUE(Child<QCheckBox>("chUpdate").isChecked());
  Click("chUpdate");
  EXPECT_FALSE(Child<QLineEdit>("edCheck").isEnabled());
  EXPECT_FALSE(Child<QLabel>("laCheckInterval").isEnabled());
  Click("chUpdate");
  EXPECT_TRUE(Child<QLineEdit>("edCheck").isEnabled());
  EXPECT_TRUE(Child<QLabel>("laCheckInterval").isEnabled());
}

TEST_F(FrmSettingsTest, CheckNowRunsTheUpdateCheckWithTheButtonDisabledUntilItEnds) {
  Open(kTwoAddresses);
  int checks = 0;
  QWidget* shownOver = nullptr;
  std::function<void()> finish;
  dialog_->CheckNow = [&](QWidget* parent, std::function<void()> finished) {
    ++checks;
    shownOver = parent;
    finish = std::move(finished);
    return true;
  };
  Click("btCheck");
  EXPECT_EQ(checks, 1);
  EXPECT_EQ(shownOver, dialog_.get());
  EXPECT_FALSE(Child<QPushButton>("btCheck").isEnabled()) << "while the check runs";
  EXPECT_TRUE(dialog_->isVisible());
  finish();
  EXPECT_TRUE(Child<QPushButton>("btCheck").isEnabled());
}

TEST_F(FrmSettingsTest, CheckNowThatDoesNotStartLeavesTheButtonEnabled) {
  Open(kTwoAddresses);
  dialog_->CheckNow = [](QWidget*, std::function<void()>) { return false; };
  Click("btCheck");
  EXPECT_TRUE(Child<QPushButton>("btCheck").isEnabled());
}

TEST_F(FrmSettingsTest, AutostartShowsTheEntryAndOkWritesOrRemovesIt) {
  Open(kTwoAddresses);
  EXPECT_FALSE(Child<QCheckBox>("chAutostart").isChecked());
  Click("chAutostart");
  Click("btOk");
  ASSERT_TRUE(std::filesystem::exists(AutostartEntry()));

  dialog_->show();
  EXPECT_TRUE(Child<QCheckBox>("chAutostart").isChecked());
  Click("chAutostart");
  Click("btOk");
  EXPECT_FALSE(std::filesystem::exists(AutostartEntry()));
}

TEST_F(FrmSettingsTest, GeometryIsReadAtCreationAndWrittenAtDestruction) {
  TfrmSettings& dialog =
      Make("[frmSettings]\nWidth=600\nHeight=500\nAddrWidth0=200\nAddrWidth1=-7\nAddrWidth2=90\n" +
           std::string(kTwoAddresses));
  EXPECT_EQ(dialog.size(), QSize(600, 500));
  EXPECT_EQ(List().columnWidth(0), 200);
  EXPECT_EQ(List().columnWidth(1), 45) << "a width below -2 leaves the design width";
  EXPECT_EQ(List().columnWidth(2), 90);

  dialog.resize(640, 520);
  List().setColumnWidth(1, 60);
  dialog_.reset();
  const TIniFile ini = Stored();
  EXPECT_EQ(ini.ReadInteger("frmSettings", "Width", 0), 640);
  EXPECT_EQ(ini.ReadInteger("frmSettings", "Height", 0), 520);
  EXPECT_EQ(ini.ReadInteger("frmSettings", "AddrWidth0", 0), 200);
  EXPECT_EQ(ini.ReadInteger("frmSettings", "AddrWidth1", 0), 60);
  EXPECT_EQ(ini.ReadInteger("frmSettings", "AddrWidth2", 0), 90);
}

TEST_F(FrmSettingsTest, AStoredSizeLargerThanTheScreenIsCutToIt) {
  // Saved at another scale; the offscreen screen is 800 by 600 pixels.
  TfrmSettings& dialog =
      Make("[frmSettings]\nWidth=1600\nHeight=1200\n" + std::string(kTwoAddresses));
  const QSize screen = dialog.screen()->availableGeometry().size();
  ASSERT_LT(screen.width(), 1600);
  EXPECT_EQ(dialog.size(), screen);
}

TEST_F(FrmSettingsTest, AnUnwritableFileAtDestructionIsNoCrash) {
  Make(kTwoAddresses);
  std::filesystem::rename(Home(), tmp_.file("away"));
  dialog_.reset(); // writes the geometry, which fails quietly
  std::filesystem::rename(tmp_.file("away"), Home());
  EXPECT_FALSE(Stored().SectionExists("frmSettings"));
}

} // namespace
