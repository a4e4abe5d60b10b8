#include "config/Autostart.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "util/app_dir.h"
#include "util/file_io.h"

namespace {

std::string AutostartFolder() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  // The XDG rules say a relative value is invalid and must be ignored.
  if (config && config[0] == '/')
    return std::string(config) + "/autostart";
  const char* home = std::getenv("HOME");
  if (home && home[0] != '\0')
    return std::string(home) + "/.config/autostart";
  return {};
}

} // namespace

// The path is quoted when it holds anything the Exec syntax reserves; the
// string-value escapes go on top, as desktop-entry readers undo them first.
std::string DesktopExecValue(const std::string& program) {
  const std::string reserved = " \t\n\r\"'\\><~|&;$*?#()`";
  std::string argument;
  if (program.find_first_of(reserved) == std::string::npos) {
    argument = program;
  } else {
    argument = "\"";
    for (char c : program) {
      if (c == '"' || c == '`' || c == '$' || c == '\\')
        argument += '\\';
      argument += c;
    }
    argument += '"';
  }
  std::string value;
  for (char c : argument) {
    switch (c) {
    case '%':
      value += "%%"; // not a field code
      break;
    case '\\':
      value += "\\\\";
      break;
    case '\n':
      value += "\\n";
      break;
    case '\r':
      value += "\\r";
      break;
    case '\t':
      value += "\\t";
      break;
    default:
      value += c;
    }
  }
  return value;
}

std::string AutostartEntryPath() {
  std::string folder = AutostartFolder();
  return folder.empty() ? folder : folder + "/skarvel.desktop";
}

std::optional<bool> ReadAutostart() {
  const std::string path = AutostartEntryPath();
  if (path.empty())
    return std::nullopt;
  struct stat info;
  if (stat(path.c_str(), &info) == 0)
    return true;
  if (errno == ENOENT || errno == ENOTDIR)
    return false;
  return std::nullopt; // cannot look: the caller keeps what it showed
}

void WriteAutostart(bool on) {
  const std::string path = AutostartEntryPath();
  if (path.empty())
    return;
  if (!on) {
    unlink(path.c_str());
    return;
  }

  const std::string program = ExecutablePath();
  if (program.empty())
    return; // an entry without a program would be invalid

  std::error_code ignored;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);

  const std::string entry = "[Desktop Entry]\n"
                            "Type=Application\n"
                            "Name=Skarvel\n"
                            "Exec=" +
                            DesktopExecValue(program) +
                            "\n"
                            "X-GNOME-Autostart-enabled=true\n";
  // Through a temporary file, so a session starting meanwhile never sees half
  // an entry.
  ReplaceFileAtomically(path, entry, 0644);
}
