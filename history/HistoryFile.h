#pragma once

#include <string>

// Where the history plug-in keeps its database, by the plug-in's own rule: an
// absolute setting as it is; a relative one, or "history.db" when the setting
// is empty, inside the program folder.
std::string HistoryDatabaseFile(const std::string& programFolder, const std::string& setting);

// The database of the running program: the [History] Database setting of the
// settings file, from the program folder.
std::string CurrentHistoryDatabaseFile();

// True when the database is a regular file: then the plug-in has recorded.
bool HistoryDatabaseExists(const std::string& path);
