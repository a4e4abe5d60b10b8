#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "config/IniFile.h"

// A language file "*.lng": INI text whose lines are each UTF-8, or else
// Windows-1252 (files made for older versions, lines pasted from them), or
// UTF-16 with a byte order mark, as Windows editors save it. Everything handed
// out is UTF-8. Nothing a file holds makes it fail: a file that is missing or
// cannot be read is empty, and one that cannot be written keeps its additions
// in memory. Growing adds lines and leaves those there as they are; a UTF-16
// file stays UTF-16.
class TLngFile {
public:
  explicit TLngFile(const std::string& path);
  const std::string& FileName() const { return ini_.FileName(); }
  bool Exists() const { return exists_; }
  // Why the file is not taken (a name other than "*.lng", not a regular file,
  // too big, unreadable, not text): then it reads as empty and is never
  // written, its additions kept in memory.
  const std::optional<std::string>& Problem() const { return problem_; }

  // Section names and a section's key names as the file spells them, in file
  // order, for the exact matching that applies texts.
  std::vector<std::string> Sections() const;
  std::vector<std::string> Keys(const std::string& section) const;
  // Names match without regard to case; a value is cut to kMaxValueLength
  // characters, as the profile functions read it.
  std::string Read(const std::string& section, const std::string& key,
                   const std::string& fallback) const;
  bool Has(const std::string& section, const std::string& key) const;

  // Adds the key with the text unless the file has it (in any letter case) or
  // a name is empty; an existing key is never overwritten.
  void Ensure(const std::string& section, const std::string& key, const std::string& text);
  // Writes what Ensure added; the error text ("Unable to write to <path>")
  // when the file or its folder cannot be written.
  std::optional<std::string> Save();

  static constexpr std::size_t kMaxValueLength = 2047;

private:
  TIniFile ini_;
  bool exists_ = false;
  std::optional<std::string> problem_;
};

// The full path of a language file: only the name part of the setting counts;
// the program folder's file of that name, else the installed one, else the
// program folder's path (where a new file would go).
std::string LanguageFilePath(const std::string& setting);
// Whether the windows add their missing texts to the file: only to one in the
// program folder. An installed file is shared by every user and stays as it
// is, even for root, who could write it.
bool LanguageFileGrows(const std::string& path);
