#include "config/IniFile.h"

#include <algorithm>
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

std::size_t FirstNonBlank(std::string_view line) {
  std::size_t first = 0;
  while (first < line.size() && IsBlank(line[first]))
    ++first;
  return first;
}

// The section name of a header line "[name]" (the first non-blank is "[").
std::optional<std::string> SectionName(std::string_view line) {
  // Editors on Windows start a UTF-8 file with a byte order mark; the header
  // keeps it, so a save writes it back.
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (line.starts_with(kByteOrderMark))
    line.remove_prefix(kByteOrderMark.size());
  const std::size_t first = FirstNonBlank(line);
  if (first >= line.size() || line[first] != '[')
    return std::nullopt;
  const std::size_t close = line.find(']', first + 1);
  const std::size_t stop = close == std::string_view::npos ? line.size() : close;
  return TrimBlanks(line.substr(first + 1, stop - first - 1));
}

} // namespace

TIniFile::TIniFile(std::string path) : path_(std::move(path)) {
  std::optional<std::string> text = ReadWholeFile(path_);
  // A file that is there but cannot be read must never be replaced by what
  // little this accessor knows: the user's settings would be gone.
  unreadable_ = !text && access(path_.c_str(), F_OK) == 0;
  Parse(text_.Adopt(std::move(text).value_or(std::string())));
}

TIniFile::TIniFile(std::string path, std::optional<std::string> text, TEncoder encode)
    : path_(std::move(path)), unreadable_(!text), encode_(std::move(encode)) {
  Parse(text_.Adopt(std::move(text).value_or(std::string())));
}

std::string_view TIniFile::RawValue(const Line& line) {
  if (line.kind != Line::kKeyValue)
    return {};
  std::string_view value = line.Value();
  while (!value.empty() && IsBlank(value.front()))
    value.remove_prefix(1);
  while (!value.empty() && IsBlank(value.back()))
    value.remove_suffix(1);
  return value;
}

TIniFile::Line TIniFile::ParseLine(std::string_view text, bool inSection) {
  Line line;
  line.text = text.data();
  line.size = text.size();
  const std::size_t first = FirstNonBlank(text);
  const bool comment = first < text.size() && (text[first] == ';' || text[first] == '#');
  // Key lines before the first section belong to no section and cannot be
  // read; they are kept as they stand. A line without "=" (an address
  // written by hand) is a key without a value, as the profile functions
  // read it.
  if (comment || !inSection)
    return line;
  const std::size_t equals = std::min(text.find('='), text.size());
  if (equals > TIniNameIndex::kMaxPosition)
    return line; // a name this long is kept, never read
  std::size_t keyEnd = equals;
  while (keyEnd > first && IsBlank(text[keyEnd - 1]))
    --keyEnd;
  if (keyEnd == first)
    return line; // "=value" names no key
  line.keyStart = static_cast<uint32_t>(first);
  line.keyEnd = static_cast<uint32_t>(keyEnd);
  line.equals = static_cast<uint32_t>(equals);
  line.kind = equals < text.size() ? Line::kKeyValue : Line::kBareKey;
  return line;
}

void TIniFile::Parse(std::string_view text) {
  sections_.clear();
  sectionIndex_.Clear();
  // Counted first, so that every list is made at its final size: a big file
  // never holds a half-grown copy of its lines.
  std::vector<std::size_t> lineCounts{0};
  ForEachFileLine(text, [&](std::string_view line) {
    if (SectionName(line))
      lineCounts.push_back(0);
    else
      ++lineCounts.back();
  });
  sections_.reserve(lineCounts.size());
  sections_.push_back(Section{}); // whatever stands before the first section line
  sections_.back().lines.reserve(lineCounts[0]);
  ForEachFileLine(text, [&](std::string_view line) {
    if (std::optional<std::string> name = SectionName(line)) {
      AddSection(std::move(*name), line);
      Section& added = sections_.back();
      added.lines.reserve(lineCounts[sections_.size() - 1]);
      added.keys.Reserve(added.lines.capacity());
      return;
    }
    sections_.back().lines.push_back(ParseLine(line, sections_.size() > 1));
  });
  // Indexed in a pass of its own: between the parsing of lines, each
  // insertion into a big index waited for memory by itself.
  for (Section& section : sections_)
    for (std::size_t i = 0; i < section.lines.size(); ++i)
      if (section.lines[i].kind != Line::kRaw)
        IndexKey(section, i);
}

void TIniFile::AddSection(std::string name, std::string_view header) {
  Section section;
  section.name = std::move(name);
  section.header = header;
  sections_.push_back(std::move(section));
  const std::size_t position = sections_.size() - 1;
  const auto nameAt = [this](uint32_t at) { return std::string_view(sections_[at].name); };
  if (position <= TIniNameIndex::kMaxPosition)
    sectionIndex_.Insert(sections_.back().name, static_cast<uint32_t>(position), nameAt);
}

void TIniFile::IndexKey(Section& section, std::size_t position) {
  section.keyEnd = position + 1;
  if (position > TIniNameIndex::kMaxPosition)
    return;
  std::vector<Line>& lines = section.lines;
  const auto nameAt = [&lines](uint32_t at) { return lines[at].Key(); };
  lines[position].first =
      section.keys.Insert(lines[position].Key(), static_cast<uint32_t>(position), nameAt);
}

void TIniFile::RebuildSectionIndex() {
  sectionIndex_.Clear();
  const auto nameAt = [this](uint32_t at) { return std::string_view(sections_[at].name); };
  for (std::size_t i = 1; i < sections_.size() && i <= TIniNameIndex::kMaxPosition; ++i)
    sectionIndex_.Insert(sections_[i].name, static_cast<uint32_t>(i), nameAt);
}

void TIniFile::RebuildKeyIndex(Section& section) {
  section.keys.Clear();
  section.keyEnd = 0;
  for (std::size_t i = 0; i < section.lines.size(); ++i)
    if (section.lines[i].kind != Line::kRaw)
      IndexKey(section, i);
}

const TIniFile::Section* TIniFile::FindSection(std::string_view name) const {
  // The leading block has no header and is never a section.
  const auto nameAt = [this](uint32_t at) { return std::string_view(sections_[at].name); };
  const std::optional<uint32_t> found = sectionIndex_.Find(name, nameAt);
  return found ? &sections_[*found] : nullptr;
}

TIniFile::Section* TIniFile::FindSection(std::string_view name) {
  return const_cast<Section*>(std::as_const(*this).FindSection(name));
}

const TIniFile::Line* TIniFile::FindKey(std::string_view section, std::string_view key) const {
  const Section* found = FindSection(section);
  if (!found)
    return nullptr;
  const std::vector<Line>& lines = found->lines;
  const std::optional<uint32_t> at =
      found->keys.Find(key, [&lines](uint32_t position) { return lines[position].Key(); });
  return at ? &lines[*at] : nullptr;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& fallback) const {
  const Line* line = FindKey(section, key);
  if (!line || line->kind != Line::kKeyValue)
    return fallback;
  std::string value = TrimBlanks(line->Value());
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  return value;
}

std::string TIniFile::ReadRawString(const std::string& section, const std::string& key,
                                    const std::string& fallback) const {
  const Line* line = FindKey(section, key);
  return line && line->kind == Line::kKeyValue ? std::string(RawValue(*line)) : fallback;
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
  const auto nameAt = [this](uint32_t at) { return std::string_view(sections_[at].name); };
  for (std::size_t i = 1; i < sections_.size(); ++i)
    if (sectionIndex_.Find(sections_[i].name, nameAt) == i)
      names.push_back(sections_[i].name);
  return names;
}

std::vector<std::string> TIniFile::ReadSection(const std::string& section) const {
  std::vector<std::string> keys;
  const Section* found = FindSection(section);
  if (!found)
    return keys;
  for (const Line& line : found->lines)
    if (line.first)
      keys.emplace_back(line.Key());
  return keys;
}

std::size_t TIniFile::KeyCount(const std::string& section) const {
  const Section* found = FindSection(section);
  return found ? found->keys.Count() : 0;
}

void TIniFile::WriteString(const std::string& section, const std::string& key,
                           const std::string& value) {
  // Names are stored as they will be read back: trimmed.
  std::string sectionName = TrimBlanks(OneLine(section));
  const std::string keyName = TrimBlanks(OneLine(key));
  const std::string text = OneLine(value);
  if (keyName.empty())
    return; // a line "=value" is no key and could never be read

  Section* found = FindSection(sectionName);
  if (!found) {
    const std::string_view header = text_.Join({"[", sectionName, "]"});
    AddSection(std::move(sectionName), header);
    found = &sections_.back();
  }
  std::vector<Line>& lines = found->lines;
  const std::optional<uint32_t> at =
      found->keys.Find(keyName, [&lines](uint32_t position) { return lines[position].Key(); });
  if (at) {
    Line& line = lines[*at];
    if (line.kind != Line::kKeyValue || line.Value() != text) {
      line = WrittenLine(line.Key(), text);
      line.first = true;
      modified_ = true;
    }
    return;
  }
  // After the section's last key, so blank lines and comments that lead into
  // the next section stay with it; only such lines move, no key.
  const std::size_t insertAt = found->keyEnd;
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), WrittenLine(keyName, text));
  IndexKey(*found, insertAt);
  modified_ = true;
}

TIniFile::Line TIniFile::WrittenLine(std::string_view key, std::string_view value) {
  Line line;
  const std::string_view text = text_.Join({key, "=", value});
  line.text = text.data();
  line.size = text.size();
  line.keyEnd = static_cast<uint32_t>(key.size());
  line.equals = line.keyEnd;
  line.kind = Line::kKeyValue;
  return line;
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
  const std::size_t before = sections_.size();
  // The leading block is never a section.
  std::erase_if(sections_, [&](const Section& each) {
    return !each.header.empty() && SameTextAscii(each.name, section);
  });
  if (sections_.size() == before)
    return;
  RebuildSectionIndex();
  modified_ = true;
}

void TIniFile::DeleteKey(const std::string& section, const std::string& key) {
  Section* found = FindSection(section);
  if (!found)
    return;
  const std::size_t erased = std::erase_if(found->lines, [&key](const Line& line) {
    return line.kind != Line::kRaw && SameTextAscii(line.Key(), key);
  });
  if (erased == 0)
    return;
  RebuildKeyIndex(*found);
  modified_ = true;
}

std::string TIniFile::Text() const {
  std::size_t size = 0;
  for (const Section& section : sections_) {
    size += section.header.empty() ? 0 : section.header.size() + 1;
    for (const Line& line : section.lines)
      size += line.size + 1;
  }
  std::string text;
  text.reserve(size);
  for (const Section& section : sections_) {
    if (!section.header.empty()) {
      text += section.header;
      text += '\n';
    }
    for (const Line& line : section.lines) {
      text += line.View();
      text += '\n';
    }
  }
  return text;
}

void TIniFile::UpdateFile() {
  if (!modified_)
    return;
  if (unreadable_ || !ReplaceFileAtomically(path_, encode_ ? encode_(Text()) : Text()))
    throw EIniWriteError("Unable to write to " + path_);
  modified_ = false;
}
