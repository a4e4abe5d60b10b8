#include "config/IniFile.h"

#include <unistd.h>
#include <utility>

#include "util/file_io.h"
#include "util/text.h"

namespace {

// A line break inside a name or value would split it into two lines on the
// next read, so it becomes a blank.
std::string OneLine(std::string text) {
  for (char& c : text)
    if (c == '\r' || c == '\n')
      c = ' ';
  return text;
}

} // namespace

TIniFile::TIniFile(std::string path) : path_(std::move(path)) {
  const std::optional<std::string> text = ReadWholeFile(path_);
  // A file that is there but cannot be read must never be replaced by what
  // little this accessor knows: the user's settings would be gone.
  unreadable_ = !text && access(path_.c_str(), F_OK) == 0;
  Parse(text.value_or(std::string()));
}

void TIniFile::Parse(const std::string& text) {
  sections_.clear();
  sections_.push_back(Section{}); // whatever stands before the first section line
  for (const std::string& line : SplitFileLines(text)) {
    size_t first = 0;
    while (first < line.size() && IsBlank(line[first]))
      ++first;
    if (first < line.size() && line[first] == '[') {
      size_t close = line.find(']', first + 1);
      size_t stop = close == std::string::npos ? line.size() : close;
      Section section;
      section.name = TrimBlanks(line.substr(first + 1, stop - first - 1));
      section.header = line;
      sections_.push_back(std::move(section));
      continue;
    }

    Line entry;
    entry.raw = line;
    size_t equals = line.find('=');
    bool comment = first < line.size() && (line[first] == ';' || line[first] == '#');
    // Key lines before the first section belong to no section and cannot be
    // read; they are kept as they stand. A line without "=" (an address
    // written by hand) is a key without a value, as the profile functions
    // read it.
    if (!comment && sections_.size() > 1) {
      entry.key = TrimBlanks(line.substr(0, equals));
      entry.hasValue = equals != std::string::npos;
      if (!entry.key.empty() && entry.hasValue)
        entry.value = line.substr(equals + 1);
    }
    sections_.back().lines.push_back(std::move(entry));
  }
}

const TIniFile::Section* TIniFile::FindSection(const std::string& name) const {
  // The leading block has no header and is never a section.
  for (const Section& section : sections_)
    if (!section.header.empty() && SameTextAscii(section.name, name))
      return &section;
  return nullptr;
}

TIniFile::Section* TIniFile::FindSection(const std::string& name) {
  return const_cast<Section*>(std::as_const(*this).FindSection(name));
}

const TIniFile::Line* TIniFile::FindKey(const std::string& section, const std::string& key) const {
  const Section* found = FindSection(section);
  if (!found)
    return nullptr;
  for (const Line& line : found->lines)
    if (!line.key.empty() && SameTextAscii(line.key, key))
      return &line;
  return nullptr;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& fallback) const {
  const Line* line = FindKey(section, key);
  if (!line || !line->hasValue)
    return fallback;
  std::string value = TrimBlanks(line->value);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  return value;
}

std::string TIniFile::ReadRawString(const std::string& section, const std::string& key,
                                    const std::string& fallback) const {
  const Line* line = FindKey(section, key);
  return line && line->hasValue ? TrimBlanks(line->value) : fallback;
}

int32_t TIniFile::ReadInteger(const std::string& section, const std::string& key,
                              int32_t fallback) const {
  if (!FindKey(section, key))
    return fallback;
  return TextToIntDef(ReadString(section, key, ""), fallback);
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool fallback) const {
  return ReadInteger(section, key, fallback ? 1 : 0) == 1;
}

TDateTime TIniFile::ReadDate(const std::string& section, const std::string& key,
                             TDateTime fallback) const {
  if (!FindKey(section, key))
    return fallback;
  return TryStrToDate(ReadString(section, key, "")).value_or(fallback);
}

bool TIniFile::SectionExists(const std::string& section) const {
  return FindSection(section) != nullptr;
}

bool TIniFile::ValueExists(const std::string& section, const std::string& key) const {
  return FindKey(section, key) != nullptr;
}

std::vector<std::string> TIniFile::ReadSections() const {
  std::vector<std::string> names;
  for (const Section& section : sections_) {
    if (section.header.empty())
      continue;
    bool seen = false;
    for (const std::string& name : names)
      seen = seen || SameTextAscii(name, section.name);
    if (!seen)
      names.push_back(section.name);
  }
  return names;
}

std::vector<std::string> TIniFile::ReadSection(const std::string& section) const {
  std::vector<std::string> keys;
  const Section* found = FindSection(section);
  if (!found)
    return keys;
  for (const Line& line : found->lines) {
    if (line.key.empty())
      continue;
    bool seen = false;
    for (const std::string& key : keys)
      seen = seen || SameTextAscii(key, line.key);
    if (!seen)
      keys.push_back(line.key);
  }
  return keys;
}

void TIniFile::WriteString(const std::string& section, const std::string& key,
                           const std::string& value) {
  // Names are stored as they will be read back: trimmed.
  std::string sectionName = TrimBlanks(OneLine(section));
  std::string keyName = TrimBlanks(OneLine(key));
  std::string text = OneLine(value);
  if (keyName.empty())
    return; // a line "=value" is no key and could never be read

  Section* found = FindSection(sectionName);
  if (!found) {
    Section added;
    added.name = sectionName;
    added.header = "[" + sectionName + "]";
    added.lines.push_back(Line{"", keyName, text});
    sections_.push_back(std::move(added));
    modified_ = true;
    return;
  }
  // After the section's last key, so blank lines and comments that lead into
  // the next section stay with it.
  size_t insertAt = 0;
  for (size_t i = 0; i < found->lines.size(); ++i) {
    Line& line = found->lines[i];
    if (line.key.empty())
      continue;
    if (SameTextAscii(line.key, keyName)) {
      if (line.value != text || !line.hasValue) {
        line.value = text;
        line.hasValue = true;
        line.raw.clear();
        modified_ = true;
      }
      return;
    }
    insertAt = i + 1;
  }
  found->lines.insert(found->lines.begin() + static_cast<std::ptrdiff_t>(insertAt),
                      Line{"", keyName, text});
  modified_ = true;
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, int32_t value) {
  WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

void TIniFile::WriteDate(const std::string& section, const std::string& key, TDateTime value) {
  WriteString(section, key, DateToStr(value));
}

void TIniFile::EraseSection(const std::string& section) {
  for (size_t i = sections_.size(); i-- > 0;) {
    if (!sections_[i].header.empty() && SameTextAscii(sections_[i].name, section)) {
      sections_.erase(sections_.begin() + static_cast<std::ptrdiff_t>(i));
      modified_ = true;
    }
  }
}

void TIniFile::DeleteKey(const std::string& section, const std::string& key) {
  Section* found = FindSection(section);
  if (!found)
    return;
  std::vector<Line>& lines = found->lines;
  for (size_t i = lines.size(); i-- > 0;) {
    if (!lines[i].key.empty() && SameTextAscii(lines[i].key, key)) {
      lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
      modified_ = true;
    }
  }
}

std::string TIniFile::Text() const {
  std::string text;
  for (const Section& section : sections_) {
    if (!section.header.empty()) {
      text += section.header;
      text += '\n';
    }
    for (const Line& line : section.lines) {
      if (line.key.empty() || !line.raw.empty())
        text += line.raw;
      else
        text += line.key + "=" + line.value;
      text += '\n';
    }
  }
  return text;
}

void TIniFile::UpdateFile() {
  if (!modified_)
    return;
  if (unreadable_ || !ReplaceFileAtomically(path_, Text()))
    throw EIniWriteError("Unable to write to " + path_);
  modified_ = false;
}
