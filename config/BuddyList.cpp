#include "config/BuddyList.h"

#include <algorithm>

#include "config/IniFile.h"
#include "config/SettingsFile.h"
#include "util/display_text.h"
#include "util/text.h"
#include "util/wildcard.h"

TBuddyList Buddies;

namespace {

const char kSection[] = "Buddies";

} // namespace

bool TBuddyList::Add(std::string_view pattern) {
  std::string trimmed = TrimBlanks(pattern);
  if (trimmed.empty() || trimmed.find_first_of("\r\n") != std::string::npos)
    return false;
  const bool listed = std::any_of(patterns_.begin(), patterns_.end(),
                                  [&](const std::string& p) { return SameTextAscii(p, trimmed); });
  if (listed)
    return false;
  patterns_.push_back(std::move(trimmed));
  return true;
}

bool TBuddyList::Matches(const std::string& playerName) const {
  // Old games send names in Windows-1252, and a hand-edited file may hold a
  // pattern in it: both are compared as the text they show.
  const std::string name = ToUtf8(playerName);
  return std::any_of(patterns_.begin(), patterns_.end(), [&](const std::string& pattern) {
    return WildcardMatch(ToUtf8(pattern), name);
  });
}

void TBuddyList::Load(const TIniFile& ini) {
  patterns_.clear();
  // Raw: a name in quotes keeps them, as the player wrote it.
  for (const std::string& key : ini.ReadSection(kSection))
    Add(ini.ReadRawString(kSection, key, ""));
}

void TBuddyList::Save(TIniFile& ini) const {
  ini.EraseSection(kSection);
  for (std::size_t i = 0; i < patterns_.size(); ++i)
    ini.WriteString(kSection, std::to_string(i), patterns_[i]);
}

void LoadBuddies() {
  WithIni([] { Buddies.Load(Ini()); });
}

void SaveBuddies() {
  WithIni([] { Buddies.Save(Ini()); });
}
