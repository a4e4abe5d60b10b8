#include "config/WindowLayout.h"

#include <string>

#include "config/IniFile.h"

namespace {

const char* const kSection = "Window";

// One table drives reading and writing, so the two can never disagree.
template <class Layout, class Visit> void ForEachKey(Layout& layout, Visit&& visit) {
  visit("Left", layout.Left);
  visit("Top", layout.Top);
  visit("Width", layout.Width);
  visit("Height", layout.Height);
  visit("ServersHeight", layout.ServersHeight);
  for (std::size_t i = 0; i < layout.ServersWidth.size(); ++i)
    visit("ServersWidth" + std::to_string(i), layout.ServersWidth[i]);
  for (std::size_t i = 0; i < layout.PlayersWidth.size(); ++i)
    visit("PlayersWidth" + std::to_string(i), layout.PlayersWidth[i]);
}

} // namespace

TWindowLayout ReadWindowLayout(const TIniFile& ini, const TWindowLayout& current) {
  TWindowLayout layout = current;
  ForEachKey(layout, [&ini](const std::string& key, int32_t& value) {
    value = ini.ReadInteger(kSection, key, value);
  });
  return layout;
}

void WriteWindowLayout(TIniFile& ini, const TWindowLayout& layout) {
  ForEachKey(layout, [&ini](const std::string& key, const int32_t& value) {
    ini.WriteInteger(kSection, key, value);
  });
}
