#pragma once

#include <ctime>
#include <string>
#include <vector>

// The plug-in files that took the process down while loading, each with the
// size and modification time it had then, kept in a small file of the
// program folder. Such a file is skipped until it changes.
class TCrashedPlugins {
public:
  explicit TCrashedPlugins(std::string recordPath);

  // Adds the file as it is now.
  void Add(const std::string& pluginPath);
  // Whether the file is recorded and unchanged; a changed one leaves the
  // record, so it gets its chance again.
  bool Skips(const std::string& pluginPath);

private:
  struct TEntry {
    std::string Path;
    long long Size = 0;
    long long ModifiedNs = 0;
    bool operator==(const TEntry&) const = default;
  };
  static bool Stat(const std::string& path, TEntry& entry);
  void Save() const;

  std::string recordPath_;
  std::vector<TEntry> entries_;
};
