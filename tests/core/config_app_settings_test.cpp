#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "config/AppSettings.h"
#include "config/SettingsFile.h"
#include "tests/support/ScratchProgramFolder.h"
#include "util/app_dir.h"

namespace {

class AppSettingsTest : public ::testing::Test {
protected:
  // Every field away from its default, so a load that keeps memory shows.
  static TAppSettings Unusual() {
    TAppSettings s;
    s.Interval = 1;
    s.CheckUpdates = 2;
    s.MaxWaitAnswer = 3;
    s.Stats = true;
    s.SlowPoll = true;
    s.TrayNew = 0;
    s.Digits = false;
    s.DoubleClick = true;
    s.Quit = true;
    s.StartInTray = false;
    s.PopupMessages = false;
    s.OnlineSound = "ding.wav";
    s.Language = "Deutsch.lng";
    s.LastUpdate = 12345;
    return s;
  }

  ScratchProgramFolder tmp;
};

TEST_F(AppSettingsTest, MissingFileGivesTheBuiltInDefaultsNotWhatIsInMemory) {
  ASSERT_TRUE(EnsureIniFile());
  AppSettings = Unusual();
  LoadAppSettings();

  const TAppSettings& s = AppSettings;
  EXPECT_EQ(s.Interval, 3000);
  EXPECT_EQ(s.CheckUpdates, 30);
  EXPECT_EQ(s.MaxWaitAnswer, 500);
  EXPECT_FALSE(s.Stats);
  EXPECT_FALSE(s.SlowPoll);
  EXPECT_EQ(s.TrayNew, 1);
  EXPECT_TRUE(s.Digits);
  EXPECT_FALSE(s.DoubleClick);
  EXPECT_FALSE(s.Quit);
  EXPECT_TRUE(s.StartInTray);
  EXPECT_TRUE(s.PopupMessages);
  EXPECT_EQ(s.OnlineSound, "users.wav");
  EXPECT_EQ(s.Language, "English.lng");
  EXPECT_EQ(s.LastUpdate, 12345);           // not one of the keys read here
  EXPECT_EQ(tmp.read("skarvel.ini"), "\n"); // reading writes nothing
  EXPECT_EQ(IniOpenCount(), 0);
}

TEST_F(AppSettingsTest, HandEditedValuesReadByTheReadingRules) {
  struct Case {
    const char* section;
    const char* line;
    std::function<void(const TAppSettings&)> check;
  };
  const Case cases[] = {
      {"Appearance", "StartInTray=yes", [](auto& s) { EXPECT_TRUE(s.StartInTray); }},
      {"Appearance", "StartInTray=2", [](auto& s) { EXPECT_FALSE(s.StartInTray); }},
      {"Appearance", "Digits=0", [](auto& s) { EXPECT_FALSE(s.Digits); }},
      {"appearance", "trayNEW=258", [](auto& s) { EXPECT_EQ(s.TrayNew, 2); }},
      {"Appearance", "TrayNew=-1", [](auto& s) { EXPECT_EQ(s.TrayNew, 255); }},
      {"Network", "Interval=0x10", [](auto& s) { EXPECT_EQ(s.Interval, 16); }},
      {"Network", "Interval=fast", [](auto& s) { EXPECT_EQ(s.Interval, 3000); }},
      {"Network", "Stats=1", [](auto& s) { EXPECT_TRUE(s.Stats); }},
      {"Network", "SlowPoll=$1", [](auto& s) { EXPECT_TRUE(s.SlowPoll); }},
      {"Network", "CheckUpdates=-3", [](auto& s) { EXPECT_EQ(s.CheckUpdates, -3); }},
      {"Appearance", "OnlineSound=\"my sound.wav\"",
       [](auto& s) { EXPECT_EQ(s.OnlineSound, "my sound.wav"); }},
      {"Appearance", "Language=", [](auto& s) { EXPECT_EQ(s.Language, ""); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.section) + ": " + c.line);
    tmp.write("skarvel.ini", std::string("[") + c.section + "]\r\n" + c.line + "\r\n");
    ASSERT_TRUE(EnsureIniFile());
    LoadAppSettings();
    c.check(AppSettings);
  }
}

TEST_F(AppSettingsTest, SaveWritesTheTwelveKeysInOrder) {
  ASSERT_TRUE(EnsureIniFile());
  AppSettings = Unusual();
  AppSettings.TrayNew = 2;
  SaveAppSettings();
  EXPECT_EQ(tmp.read("skarvel.ini"), "\n"
                                     "[Network]\n"
                                     "Interval=1\n"
                                     "CheckUpdates=2\n"
                                     "MaxWaitAnswer=3\n"
                                     "Stats=1\n"
                                     "[Appearance]\n"
                                     "TrayNew=2\n"
                                     "Digits=0\n"
                                     "DoubleClick=1\n"
                                     "Quit=1\n"
                                     "StartInTray=0\n"
                                     "PopupMessages=0\n"
                                     "OnlineSound=ding.wav\n"
                                     "Language=Deutsch.lng\n");
  EXPECT_EQ(IniOpenCount(), 0);

  AppSettings = TAppSettings{};
  LoadAppSettings();
  TAppSettings expected = Unusual();
  expected.TrayNew = 2;
  expected.SlowPoll = false; // never saved
  expected.LastUpdate = 0;
  const TAppSettings& s = AppSettings;
  EXPECT_EQ(s.Interval, expected.Interval);
  EXPECT_EQ(s.CheckUpdates, expected.CheckUpdates);
  EXPECT_EQ(s.MaxWaitAnswer, expected.MaxWaitAnswer);
  EXPECT_EQ(s.Stats, expected.Stats);
  EXPECT_EQ(s.SlowPoll, expected.SlowPoll);
  EXPECT_EQ(s.TrayNew, expected.TrayNew);
  EXPECT_EQ(s.Digits, expected.Digits);
  EXPECT_EQ(s.DoubleClick, expected.DoubleClick);
  EXPECT_EQ(s.Quit, expected.Quit);
  EXPECT_EQ(s.StartInTray, expected.StartInTray);
  EXPECT_EQ(s.PopupMessages, expected.PopupMessages);
  EXPECT_EQ(s.OnlineSound, expected.OnlineSound);
  EXPECT_EQ(s.Language, expected.Language);
}

TEST_F(AppSettingsTest, HandSetSlowPollAndLastUpdateSurviveEverySave) {
  const std::string network = "[Network]\nSlowPoll=1\nLastUpdate=kept as typed\n";
  tmp.write("skarvel.ini", network);
  ASSERT_TRUE(EnsureIniFile());
  LoadAppSettings();
  ASSERT_TRUE(AppSettings.SlowPoll);

  AppSettings.SlowPoll = false;
  SaveAppSettings();
  SaveAppSettings();
  const std::string saved = tmp.read("skarvel.ini");
  EXPECT_EQ(saved.rfind("[Network]\nSlowPoll=1\nLastUpdate=kept as typed\nInterval=3000\n", 0), 0u)
      << saved;
  LoadAppSettings();
  EXPECT_TRUE(AppSettings.SlowPoll);
}

TEST_F(AppSettingsTest, LoadAndSaveJoinAnOpenBracket) {
  ASSERT_TRUE(EnsureIniFile());
  OpenIni();
  Ini().WriteString("Network", "Interval", "42");
  LoadAppSettings();
  EXPECT_EQ(AppSettings.Interval, 42);
  SaveAppSettings();
  EXPECT_EQ(tmp.read("skarvel.ini"), "\n"); // still open: nothing on disk yet
  CloseIni();
  EXPECT_NE(tmp.read("skarvel.ini").find("Interval=42\n"), std::string::npos);
}

} // namespace
