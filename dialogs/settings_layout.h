#pragma once

#include <array>
#include <cstdint>

class TIniFile;

// The settings dialog's size and its address columns, stored in section
// "frmSettings". The defaults are the design size.
struct TSettingsLayout {
  int32_t Width = 392;
  int32_t Height = 409;
  std::array<int32_t, 3> AddrWidth = {130, 45, 170};
};

// A stored column width below -2 is no width at all: the default stands.
TSettingsLayout ReadSettingsLayout(const TIniFile& ini);
void WriteSettingsLayout(TIniFile& ini, const TSettingsLayout& layout);
