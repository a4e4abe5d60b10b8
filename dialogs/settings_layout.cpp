#include "dialogs/settings_layout.h"

#include <string>

#include "config/IniFile.h"

namespace {

const char* const kSection = "frmSettings";

// -1 fits a column to its texts and -2 to its header; anything lower means nothing.
constexpr int32_t kLowestColumnWidth = -2;

std::string ColumnKey(std::size_t column) {
  return "AddrWidth" + std::to_string(column);
}

} // namespace

TSettingsLayout ReadSettingsLayout(const TIniFile& ini) {
  TSettingsLayout layout;
  layout.Width = ini.ReadInteger(kSection, "Width", layout.Width);
  layout.Height = ini.ReadInteger(kSection, "Height", layout.Height);
  for (std::size_t i = 0; i < layout.AddrWidth.size(); ++i) {
    const int32_t width = ini.ReadInteger(kSection, ColumnKey(i), layout.AddrWidth[i]);
    if (width >= kLowestColumnWidth)
      layout.AddrWidth[i] = width;
  }
  return layout;
}

void WriteSettingsLayout(TIniFile& ini, const TSettingsLayout& layout) {
  ini.WriteInteger(kSection, "Width", layout.Width);
  ini.WriteInteger(kSection, "Height", layout.Height);
  for (std::size_t i = 0; i < layout.AddrWidth.size(); ++i)
    ini.WriteInteger(kSection, ColumnKey(i), layout.AddrWidth[i]);
}
