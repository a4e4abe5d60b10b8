#include "config/StatsLog.h"

#include <cstdio>
#include <stdexcept>

#include "config/AppSettings.h"
#include "util/app_dir.h"
#include "util/datetime.h"
#include "util/display_text.h"

void AppendLogLine(const std::string& fileName, const std::string& text) {
  if (!AppSettings.Stats)
    return;
  const std::string path = InAppDir(fileName);
  // One line of UTF-8 whatever a game server sent: its control characters
  // would forge lines or drive the terminal of whoever reads the log. Never
  // used as a format.
  const std::string line = DateTimeToStr(Now()) + " " + PrintableLine(text) + "\n";
  std::FILE* file = std::fopen(path.c_str(), "ab");
  if (!file)
    throw std::runtime_error("Unable to write to " + path);
  bool ok = std::fwrite(line.data(), 1, line.size(), file) == line.size();
  ok = std::fclose(file) == 0 && ok;
  if (!ok)
    throw std::runtime_error("Unable to write to " + path);
}

void StatsLog(const std::string& text) {
  AppendLogLine("stats.txt", text);
}
