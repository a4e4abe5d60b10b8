#pragma once

#include <optional>
#include <string>

// The program folder, where the settings, the logs and the user's own
// plug-ins, language files and sounds live:
//   1. $SKARVEL_HOME when set (a relative one is taken from the folder the
//      program was started in);
//   2. else the executable's folder when it holds a skarvel.ini (a portable
//      copy);
//   3. else $XDG_CONFIG_HOME/skarvel, or ~/.config/skarvel when that is unset
//      or not absolute (an installed copy); never a system folder, even one
//      that root could write.
// Absolute; never ends in "/" except for the root itself. Computed at the
// first call, which must come before the program changes its current folder.
const std::string& ProgramFolder();
// Tests and tools point the program at a folder of their own.
void SetProgramFolder(const std::string& folder);

// The rule above for a given executable path, read from the environment now.
// "" only when there is no home folder to put the per-user folder in.
std::string ProgramFolderFor(const std::string& executable);

// Creates the per-user program folder (and its parents) when it is the one
// in use and missing; other program folders are left as they are. The reason
// when it cannot be made: the front ends report it and stop.
std::optional<std::string> CreateProgramFolder();

// A name containing "/" is returned unchanged; any other name (the empty one
// included) is placed in the program folder.
std::string InAppDir(const std::string& fileName);

// Full path of the running executable ("" when the system cannot tell).
std::string ExecutablePath();
// The folder part of a path: "/" for a file in the root, "" for a bare name.
std::string FolderOf(const std::string& path);
