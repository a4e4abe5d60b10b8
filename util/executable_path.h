#pragma once

#include <string>

// Where a game's executable is, as a shell would find it: a name with a "/"
// is a path (relative ones count from the current folder) and must name a
// file; a bare name such as "ioquake3" is looked up in the folders of
// `searchPath` (a PATH value) and must be an executable file there. Empty
// when there is none, and for a bare name when `searchPath` is empty.
std::string FindExecutable(const std::string& name, const std::string& searchPath);
// The same with the PATH of the process.
std::string FindExecutable(const std::string& name);
