#pragma once

#include <cstdint>
#include <string>

#include "util/datetime.h"

struct TAppSettings {
  int32_t Interval = 3000;     // ms; 0 switches the periodic poll off
  int32_t CheckUpdates = 30;   // days; 0 or less is off
  int32_t MaxWaitAnswer = 500; // ms
  bool Stats = false;          // all file logging
  bool SlowPoll = false;       // read, never written
  uint8_t TrayNew = 1;         // 0 common icon, 1 own icon, 2 no icon
  bool Digits = true;
  bool DoubleClick = false;
  bool Quit = false;
  bool StartInTray = true;
  bool PopupMessages = true;
  std::string OnlineSound = "users.wav";
  std::string Language = "English.lng";
  TDateTime LastUpdate = 0; // the build stamp until "LastUpdate" is read
};

// The one record the whole program reads.
extern TAppSettings AppSettings;

// Reads the thirteen keys of sections "Network" and "Appearance" in order.
void LoadAppSettings();
// Writes them back, except "SlowPoll" and "LastUpdate".
void SaveAppSettings();
