#include "config/AppSettings.h"

#include "config/SettingsFile.h"

TAppSettings AppSettings;

namespace {
const char kNetwork[] = "Network";
const char kAppearance[] = "Appearance";
} // namespace

void LoadAppSettings() {
  WithIni([] {
    // Defaults are the built-in ones, never what happens to be in memory.
    const TAppSettings defaults;
    TAppSettings& s = AppSettings;
    TIniFile& ini = Ini();
    s.Interval = ini.ReadInteger(kNetwork, "Interval", defaults.Interval);
    s.CheckUpdates = ini.ReadInteger(kNetwork, "CheckUpdates", defaults.CheckUpdates);
    s.MaxWaitAnswer = ini.ReadInteger(kNetwork, "MaxWaitAnswer", defaults.MaxWaitAnswer);
    s.Stats = ini.ReadBool(kNetwork, "Stats", defaults.Stats);
    s.SlowPoll = ini.ReadBool(kNetwork, "SlowPoll", defaults.SlowPoll);
    s.TrayNew = static_cast<uint8_t>(ini.ReadInteger(kAppearance, "TrayNew", defaults.TrayNew));
    s.Digits = ini.ReadBool(kAppearance, "Digits", defaults.Digits);
    s.DoubleClick = ini.ReadBool(kAppearance, "DoubleClick", defaults.DoubleClick);
    s.Quit = ini.ReadBool(kAppearance, "Quit", defaults.Quit);
    s.StartInTray = ini.ReadBool(kAppearance, "StartInTray", defaults.StartInTray);
    s.PopupMessages = ini.ReadBool(kAppearance, "PopupMessages", defaults.PopupMessages);
    s.OnlineSound = ini.ReadString(kAppearance, "OnlineSound", defaults.OnlineSound);
    s.Language = ini.ReadString(kAppearance, "Language", defaults.Language);
  });
}

void SaveAppSettings() {
  WithIni([] {
    const TAppSettings& s = AppSettings;
    TIniFile& ini = Ini();
    ini.WriteInteger(kNetwork, "Interval", s.Interval);
    ini.WriteInteger(kNetwork, "CheckUpdates", s.CheckUpdates);
    ini.WriteInteger(kNetwork, "MaxWaitAnswer", s.MaxWaitAnswer);
    ini.WriteBool(kNetwork, "Stats", s.Stats);
    ini.WriteInteger(kAppearance, "TrayNew", s.TrayNew);
    ini.WriteBool(kAppearance, "Digits", s.Digits);
    ini.WriteBool(kAppearance, "DoubleClick", s.DoubleClick);
    ini.WriteBool(kAppearance, "Quit", s.Quit);
    ini.WriteBool(kAppearance, "StartInTray", s.StartInTray);
    ini.WriteBool(kAppearance, "PopupMessages", s.PopupMessages);
    ini.WriteString(kAppearance, "OnlineSound", s.OnlineSound);
    ini.WriteString(kAppearance, "Language", s.Language);
  });
}
