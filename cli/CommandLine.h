#pragma once

#include <string>
#include <vector>

// What the console front end was asked to do.
struct TCommandLine {
  bool Once = false;        // one cycle, then its result
  bool Json = false;        // the result as JSON (implies Once)
  bool BuddiesOnly = false; // only the buddy announcements
  bool Help = false;
  bool Version = false;
  bool Debug = false; // the program's debug switch, in any of its spellings
  std::string Error;  // a usage error; empty when the line was good
};

TCommandLine ParseCommandLine(const std::vector<std::string>& args);
std::string UsageText();
