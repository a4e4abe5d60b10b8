#include "history/HistoryFile.h"

#include <sys/stat.h>

#include <exception>

#include "config/SettingsFile.h"
#include "plugins/history/history_path.h"
#include "util/app_dir.h"

std::string HistoryDatabaseFile(const std::string& programFolder, const std::string& setting) {
  if (!setting.empty() && setting.front() == '/')
    return setting;
  const std::string name = setting.empty() ? HISTORY_DEFAULT_DATABASE : setting;
  return programFolder + (programFolder == "/" ? "" : "/") + name;
}

std::string CurrentHistoryDatabaseFile() {
  std::string setting;
  try {
    setting = WithIni([] { return Ini().ReadString("History", "Database", ""); });
  } catch (const std::exception&) {
    // A settings file that cannot be read names no other database.
  }
  return HistoryDatabaseFile(ProgramFolder(), setting);
}

bool HistoryDatabaseExists(const std::string& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}
