#pragma once

#include <string>
#include <vector>

// The debug switch of the command line: an argument of "-" or "/" followed by
// DEBUG in any letter case. Every other argument is ignored.
bool HasDebugSwitch(const std::vector<std::string>& args);

bool DebugSwitch();
void SetDebugSwitch(bool on);

// With the debug switch on, appends "hh:nn:ss.zzz text" to "skarvel.err" in the
// current folder. Raises std::runtime_error when the file cannot be written.
void DebugLog(const std::string& text);
