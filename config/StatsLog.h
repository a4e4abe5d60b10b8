#pragma once

#include <string>

// With "Stats" on, appends "<date> <time> <text>" to the named file, resolved in
// the program folder, the text as PrintableLine makes it. Raises
// std::runtime_error when the file cannot be written.
void AppendLogLine(const std::string& fileName, const std::string& text);
// AppendLogLine on "stats.txt".
void StatsLog(const std::string& text);
