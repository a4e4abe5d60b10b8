#pragma once

#include <string>

// The program folder: $SKARVEL_HOME when set (a relative one is taken from the
// folder the program was started in), else the executable's folder. Absolute;
// never ends in "/" except for the root itself. Computed at the first call, which
// must come before the program changes its current folder.
const std::string& ProgramFolder();
// Tests and tools point the program at a folder of their own.
void SetProgramFolder(const std::string& folder);

// A name containing "/" is returned unchanged; any other name (the empty one
// included) is placed in the program folder.
std::string InAppDir(const std::string& fileName);

// Full path of the running executable ("" when the system cannot tell).
std::string ExecutablePath();
