#include "games/CrashedPlugins.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

// A record grows by one line per crash; this many are plenty.
constexpr std::size_t kMaxEntries = 64;

} // namespace

TCrashedPlugins::TCrashedPlugins(std::string recordPath) : recordPath_(std::move(recordPath)) {
  std::ifstream in(recordPath_);
  // "size modified-ns path" per line; a line that does not read so is dropped.
  for (std::string line; entries_.size() < kMaxEntries && std::getline(in, line);) {
    std::istringstream fields(line);
    TEntry entry;
    if (fields >> entry.Size >> entry.ModifiedNs && fields.ignore() &&
        std::getline(fields, entry.Path) && !entry.Path.empty())
      entries_.push_back(std::move(entry));
  }
}

bool TCrashedPlugins::Stat(const std::string& path, TEntry& entry) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0)
    return false;
  entry.Path = path;
  entry.Size = static_cast<long long>(status.st_size);
  entry.ModifiedNs =
      static_cast<long long>(status.st_mtim.tv_sec) * 1000000000LL + status.st_mtim.tv_nsec;
  return true;
}

void TCrashedPlugins::Add(const std::string& pluginPath) {
  TEntry entry;
  if (!Stat(pluginPath, entry))
    return;
  std::erase_if(entries_, [&](const TEntry& old) { return old.Path == pluginPath; });
  if (entries_.size() >= kMaxEntries)
    entries_.erase(entries_.begin());
  entries_.push_back(std::move(entry));
  Save();
}

bool TCrashedPlugins::Skips(const std::string& pluginPath) {
  const auto recorded = std::find_if(entries_.begin(), entries_.end(),
                                     [&](const TEntry& entry) { return entry.Path == pluginPath; });
  if (recorded == entries_.end())
    return false;
  TEntry now;
  if (Stat(pluginPath, now) && now == *recorded)
    return true;
  entries_.erase(recorded);
  Save();
  return false;
}

void TCrashedPlugins::Save() const {
  if (entries_.empty()) {
    std::remove(recordPath_.c_str());
    return;
  }
  std::ofstream out(recordPath_, std::ios::trunc);
  for (const TEntry& entry : entries_)
    out << entry.Size << ' ' << entry.ModifiedNs << ' ' << entry.Path << '\n';
}
