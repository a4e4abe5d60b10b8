#pragma once

#include <string>
#include <string_view>
#include <vector>

class TIniFile;

// The players the user watches for: name patterns with "*" and "?" (see
// WildcardMatch), in the order the user gave them.
//
// Names are matched as the model keeps them. Those are the names the
// players see: the Quake 3 protocol already takes colour codes out ("^1An^7na"
// is kept as "Anna"), so patterns are written without them and "^" is a
// character like any other.
class TBuddyList {
public:
  // Trims the pattern's blanks; false for an empty pattern, one that holds a
  // line break (it could not be stored) or one already listed (without
  // regard to ASCII case).
  bool Add(std::string_view pattern);
  void Clear() { patterns_.clear(); }
  const std::vector<std::string>& Patterns() const { return patterns_; }
  bool Empty() const { return patterns_.empty(); }

  bool Matches(const std::string& playerName) const;

  // Section "Buddies": one key per pattern, "0" to "N-1" as written. Every
  // key of the section is read in file order whatever its name, so a file
  // edited by hand loses nothing; entries Add refuses are skipped.
  void Load(const TIniFile& ini);
  void Save(TIniFile& ini) const;

private:
  std::vector<std::string> patterns_;
};

// The program's one buddy list.
extern TBuddyList Buddies;

// Reads and writes section "Buddies" of the settings file.
void LoadBuddies();
void SaveBuddies();
