#pragma once

#include <string>

#include "config/AppSettings.h"
#include "config/BuddyList.h"
#include "tests/support/TempDir.h"
#include "util/app_dir.h"

// Points the program at a scratch folder with default settings (and no
// buddies) for one test,
// and puts both back afterwards.
class ScratchProgramFolder : public TempDir {
public:
  ScratchProgramFolder() : saved_(ProgramFolder()) {
    SetProgramFolder(path().string());
    AppSettings = TAppSettings{};
    Buddies.Clear();
  }
  ~ScratchProgramFolder() {
    AppSettings = TAppSettings{};
    Buddies.Clear();
    SetProgramFolder(saved_);
  }

private:
  std::string saved_;
};
