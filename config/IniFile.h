#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "config/IniNameIndex.h"
#include "config/TextArena.h"
#include "util/datetime.h"

// Raised when the settings file cannot be replaced; the text is
// "Unable to write to <path>".
class EIniWriteError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// A key as a section lists it and its value as ReadRawString reads it (empty
// for a key without a value): views of the text its TIniFile keeps.
struct TIniEntry {
  std::string_view Key;
  std::string_view Value;
};

// An INI file held in memory. Names match without regard to letter case; the
// first of duplicate sections or keys is the one read. A line without "=" in a
// section is a key without a value: it is listed, reads give the fallback, and
// a write gives it its value in place. Lines that are neither sections nor keys
// are kept as they stand, so a save loses nothing it does not understand.
// Values have no length limit. Look-ups take constant time, reading and
// writing the file linear time; the text of rewritten lines is kept until the
// object goes.
class TIniFile {
public:
  explicit TIniFile(std::string path); // reads the file; a missing file is empty
  // Writes the text as UpdateFile puts it on disk, for a file kept in an
  // encoding of its own (a UTF-16 language file).
  using TEncoder = std::function<std::string(const std::string& text)>;
  // The text of the file as the caller read and decoded it, UpdateFile
  // writing encode(Text()); nothing for a file that is there but could not be
  // read, which UpdateFile never replaces.
  TIniFile(std::string path, std::optional<std::string> text, TEncoder encode);
  const std::string& FileName() const { return path_; }

  // A value enclosed in a matching pair of double or single quotes comes back
  // without them; surrounding blanks are dropped.
  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& fallback) const;
  // The value with surrounding blanks dropped but its quotes kept, for values
  // whose own syntax uses quotes (a quoted program path, comma text), where
  // stripping a first and last quote would corrupt them.
  std::string ReadRawString(const std::string& section, const std::string& key,
                            const std::string& fallback) const;
  // Integer text, else the fallback.
  int32_t ReadInteger(const std::string& section, const std::string& key, int32_t fallback) const;
  // Read as an integer with the fallback's 0/1; true only for exactly 1.
  bool ReadBool(const std::string& section, const std::string& key, bool fallback) const;
  // A date in the locale's short date format, else the fallback.
  TDateTime ReadDate(const std::string& section, const std::string& key, TDateTime fallback) const;

  bool SectionExists(const std::string& section) const;
  bool ValueExists(const std::string& section, const std::string& key) const;
  std::vector<std::string> ReadSections() const;
  std::vector<std::string>
  ReadSection(const std::string& section) const; // key names, in file order
  // How many names ReadSection lists, without listing them.
  std::size_t KeyCount(const std::string& section) const;
  // The entries of the names ReadSection lists, in the same order, without a
  // copy or a look-up each: a big section is read whole in one pass. The views
  // stay valid while this object lives, writes included.
  template <class Visit> void ForEachEntry(const std::string& section, const Visit& visit) const;

  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& key, int32_t value);
  void WriteBool(const std::string& section, const std::string& key, bool value);
  void WriteDate(const std::string& section, const std::string& key, TDateTime value);
  void EraseSection(const std::string& section);
  void DeleteKey(const std::string& section, const std::string& key);

  bool Modified() const { return modified_; }
  // Replaces the file atomically (temporary file in the same folder, flushed,
  // renamed) when anything changed. Raises EIniWriteError and leaves the old
  // file intact on failure, and also when the file exists but could not be read.
  void UpdateFile();

  std::string Text() const; // the file's text as it would be written

private:
  // A line as it stands in the text read or as last written, both kept in
  // text_, so a big file is held about once.
  struct Line {
    enum Kind : uint8_t { kRaw, kBareKey, kKeyValue };
    const char* text = nullptr;
    std::size_t size = 0;
    uint32_t keyStart = 0; // the trimmed name, for key lines
    uint32_t keyEnd = 0;
    uint32_t equals = 0; // where "=" stands, for kKeyValue
    Kind kind = kRaw;
    bool first = false; // the first key line of its name in its section

    std::string_view View() const { return {text, size}; }
    std::string_view Key() const { return {text + keyStart, keyEnd - keyStart}; }
    std::string_view Value() const { return {text + equals + 1, size - equals - 1}; }
  };
  struct Section {
    std::string name;        // empty for lines before the first section
    std::string_view header; // the section line as read or written; empty for the leading block
    std::vector<Line> lines;
    TIniNameIndex keys;     // the first line of every key name
    std::size_t keyEnd = 0; // one past the last key line: where a new key goes
  };

  static std::string_view RawValue(const Line& line);
  static Line ParseLine(std::string_view text, bool inSection);
  Line WrittenLine(std::string_view key, std::string_view value);
  void Parse(std::string_view text);
  void AddSection(std::string name, std::string_view header);
  void IndexKey(Section& section, std::size_t position);
  void RebuildSectionIndex();
  void RebuildKeyIndex(Section& section);
  const Section* FindSection(std::string_view name) const;
  Section* FindSection(std::string_view name);
  const Line* FindKey(std::string_view section, std::string_view key) const;

  std::string path_;
  TTextArena text_;
  std::vector<Section> sections_;
  TIniNameIndex sectionIndex_; // the first section of every name
  bool modified_ = false;
  bool unreadable_ = false; // the file exists but could not be read
  TEncoder encode_;         // empty: written as the text stands
};

template <class Visit>
void TIniFile::ForEachEntry(const std::string& section, const Visit& visit) const {
  const Section* found = FindSection(section);
  if (!found)
    return;
  for (const Line& line : found->lines)
    if (line.first)
      visit(TIniEntry{line.Key(), RawValue(line)});
}
