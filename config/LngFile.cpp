#include "config/LngFile.h"

#include <filesystem>
#include <system_error>
#include <unistd.h>
#include <utility>

#include "util/app_dir.h"
#include "util/data_folders.h"
#include "util/display_text.h"
#include "util/file_io.h"
#include "util/utf16.h"

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

bool HasLngName(const std::string& path) {
  const std::string name = path.substr(path.rfind('/') + 1);
  return name.size() > 4 && name.ends_with(".lng");
}

// What a language file gives its INI reader, or why it gives nothing.
struct TLngText {
  std::string Text;
  TIniFile::TEncoder Encode; // a UTF-16 file is written back as UTF-16
  std::optional<std::string> Problem;
};

TLngText Refused(const std::string& path, const std::string& reason) {
  return {{}, {}, "Cannot use the language file " + path + ": " + reason};
}

TLngText ReadLngText(const std::string& path, bool exists) {
  if (!HasLngName(path))
    return Refused(path, "not a *.lng file");
  if (!exists)
    return {};
  std::optional<std::string> bytes = ReadWholeFile(path);
  if (!bytes)
    return Refused(path, WholeFileProblem(path).value_or("cannot be read"));
  TLngText read;
  if (const std::optional<TByteOrder> order = Utf16ByteOrder(*bytes)) {
    std::optional<std::string> text = Utf16ToUtf8(*bytes, *order);
    if (!text)
      return Refused(path, "not UTF-16 text, though it starts as such");
    read.Text = std::move(*text);
    read.Encode = [order = *order](const std::string& utf8) { return Utf8ToUtf16(utf8, order); };
  } else {
    read.Text = std::move(*bytes);
  }
  // A NUL is in no text of ours: a database or another binary file.
  if (read.Text.find('\0') != std::string::npos)
    return Refused(path, "not a text file");
  return read;
}

} // namespace

TLngFile::TLngFile(const std::string& path)
    : ini_(path, std::string(), nullptr), exists_(access(path.c_str(), F_OK) == 0) {
  TLngText read = ReadLngText(path, exists_);
  problem_ = std::move(read.Problem);
  // A file that is not taken is never written: it may be anything.
  ini_ = TIniFile(path, problem_ ? std::nullopt : std::optional(std::move(read.Text)),
                  std::move(read.Encode));
}

// Each name and value is decoded on its own: a line pasted from an older
// Windows-1252 file leaves the UTF-8 lines around it as they are.
std::vector<std::string> TLngFile::Sections() const {
  std::vector<std::string> names = ini_.ReadSections();
  for (std::string& name : names)
    name = ToUtf8(name);
  return names;
}

std::vector<std::string> TLngFile::Keys(const std::string& section) const {
  std::vector<std::string> names = ini_.ReadSection(section);
  for (std::string& name : names)
    name = ToUtf8(name);
  return names;
}

std::string TLngFile::Read(const std::string& section, const std::string& key,
                           const std::string& fallback) const {
  if (!ini_.ValueExists(section, key))
    return fallback;
  return FirstCharacters(ToUtf8(ini_.ReadString(section, key, fallback)), kMaxValueLength);
}

bool TLngFile::Has(const std::string& section, const std::string& key) const {
  return ini_.ValueExists(section, key);
}

void TLngFile::Ensure(const std::string& section, const std::string& key, const std::string& text) {
  if (section.empty() || key.empty() || ini_.ValueExists(section, key))
    return;
  ini_.WriteString(section, key, StoredForm(text));
}

std::optional<std::string> TLngFile::Save() {
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
