#include "config/LngFile.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "util/app_dir.h"
#include "util/data_folders.h"
#include "util/display_text.h"
#include "util/file_io.h"

namespace {

// The reader drops surrounding blanks and one pair of matching quotes, so a
// text that starts or ends with either is quoted to come back as it was.
std::string StoredForm(std::string text) {
  for (char& c : text)
    if (c == '\r' || c == '\n')
      c = ' '; // values are single lines
  if (text.empty())
    return text;
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  bool quoted = text.size() >= 2 && (text.front() == '"' || text.front() == '\'') &&
                text.back() == text.front();
  if (blank(text.front()) || blank(text.back()) || quoted)
    return '"' + text + '"';
  return text;
}

// The first `count` characters of a UTF-8 text.
std::string FirstCharacters(const std::string& utf8, std::size_t count) {
  std::size_t seen = 0;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if ((static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80)
      continue;
    if (seen++ == count)
      return utf8.substr(0, i);
  }
  return utf8;
}

// A file its owner made read-only is a finished translation: it is never
// replaced, though the folder would let a rename do it.
bool ReadOnlyOnDisk(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (error || !fs::is_regular_file(status))
    return false;
  const fs::perms writable =
      fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  return (status.permissions() & writable) == fs::perms::none;
}

std::string WriteError(const std::string& path) {
  return "Unable to write to " + path;
}

} // namespace

TLngFile::TLngFile(const std::string& path) : ini_(path) {
  std::optional<std::string> bytes = ReadWholeFile(path);
  exists_ = bytes.has_value();
  legacy_ = bytes && !IsValidUtf8(*bytes);
}

std::string TLngFile::Decoded(const std::string& stored) const {
  return legacy_ ? ToUtf8(stored) : stored;
}

std::vector<std::string> TLngFile::Sections() const {
  std::vector<std::string> names = ini_.ReadSections();
  for (std::string& name : names)
    name = Decoded(name);
  return names;
}

std::vector<std::string> TLngFile::Keys(const std::string& section) const {
  std::vector<std::string> names = ini_.ReadSection(section);
  for (std::string& name : names)
    name = Decoded(name);
  return names;
}

std::string TLngFile::Read(const std::string& section, const std::string& key,
                           const std::string& fallback) const {
  if (!ini_.ValueExists(section, key))
    return fallback;
  return FirstCharacters(Decoded(ini_.ReadString(section, key, fallback)), kMaxValueLength);
}

bool TLngFile::Has(const std::string& section, const std::string& key) const {
  return ini_.ValueExists(section, key);
}

void TLngFile::Ensure(const std::string& section, const std::string& key, const std::string& text) {
  if (section.empty() || key.empty() || ini_.ValueExists(section, key))
    return;
  if (legacy_ && !MakeUtf8OnDisk())
    return;
  ini_.WriteString(section, key, StoredForm(text));
}

// A Windows-1252 file that grows is first rewritten whole as UTF-8, so that
// what we add and what it had are read back the same way.
bool TLngFile::MakeUtf8OnDisk() {
  std::optional<std::string> bytes = ReadWholeFile(ini_.FileName());
  if (!bytes || ReadOnlyOnDisk(ini_.FileName()) ||
      !ReplaceFileAtomically(ini_.FileName(), ToUtf8(*bytes))) {
    writeError_ = WriteError(ini_.FileName());
    return false;
  }
  ini_ = TIniFile(ini_.FileName());
  legacy_ = false;
  return true;
}

std::optional<std::string> TLngFile::Save() {
  if (std::optional<std::string> error = std::exchange(writeError_, std::nullopt))
    return error;
  try {
    bool adding = ini_.Modified();
    if (adding && ReadOnlyOnDisk(ini_.FileName()))
      return WriteError(ini_.FileName());
    ini_.UpdateFile();
    exists_ = exists_ || adding;
  } catch (const EIniWriteError& error) {
    return std::string(error.what());
  }
  return std::nullopt;
}

std::string LanguageFilePath(const std::string& setting) {
  std::string::size_type slash = setting.rfind('/');
  std::string name = slash == std::string::npos ? setting : setting.substr(slash + 1);
  return name.empty() ? std::string() : FindDataFile(TDataKind::Language, name);
}

bool LanguageFileGrows(const std::string& path) {
  return FolderOf(path) == ProgramFolder();
}
