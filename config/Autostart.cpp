#include "config/Autostart.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "util/app_dir.h"

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

bool WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t put = write(fd, text.data() + done, text.size() - done);
    if (put < 0 && errno == EINTR)
      continue;
    if (put <= 0)
      return false;
    done += static_cast<size_t>(put);
  }
  return true;
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
  std::string temp = path + ".XXXXXX";
  int fd = mkstemp(temp.data());
  if (fd < 0)
    return;
  bool ok = WriteAll(fd, entry) && fchmod(fd, 0644) == 0 && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  if (!ok || rename(temp.c_str(), path.c_str()) != 0)
    unlink(temp.c_str());
}
