#pragma once

#include <string>
#include <vector>

// Files that come with Skarvel are looked for in the program folder first,
// then in the folder an installed copy keeps them in; the first file of a
// name wins, so a user's own copy overrides the installed one.
enum class TDataKind {
  Plugin,   // <libdir>/skarvel/plugins: *.so
  Language, // <datadir>/skarvel/lang: *.lng
  Sound,    // <datadir>/skarvel: users.wav
};

// The installed folder of a kind, found from the executable's folder as the
// install layout places it.
std::string InstalledFolder(TDataKind kind);
// Tests point a kind at a folder of their own; "" puts the installed one back.
void SetInstalledFolder(TDataKind kind, const std::string& folder);

// The folders searched, the program folder first, each folder once. Without
// an installed language folder (a build tree), the executable's own folder
// stands in for it.
std::vector<std::string> DataFolders(TDataKind kind);

// The first file of the name in DataFolders. A name containing "/" is
// returned unchanged; a name found nowhere is placed in the program folder,
// as InAppDir places it.
std::string FindDataFile(TDataKind kind, const std::string& name);

// The files whose names end in `extension`, the first of each name, in the
// order of DataFolders and each folder's listing.
std::vector<std::string> ListDataFiles(TDataKind kind, const std::string& extension);
