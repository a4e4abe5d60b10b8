#include "util/data_folders.h"

#include <array>
#include <dirent.h>
#include <memory>
#include <optional>
#include <set>
#include <sys/stat.h>

#include "util/app_dir.h"

// The build passes where the install layout puts the plug-ins and the shared
// data, relative to the folder of the executables.
#ifndef SKARVEL_BIN_TO_PKGLIBDIR
#define SKARVEL_BIN_TO_PKGLIBDIR "../lib/skarvel"
#endif
#ifndef SKARVEL_BIN_TO_PKGDATADIR
#define SKARVEL_BIN_TO_PKGDATADIR "../share/skarvel"
#endif

namespace {

std::optional<std::string>& Override(TDataKind kind) {
  static std::array<std::optional<std::string>, 3> overrides;
  return overrides[static_cast<std::size_t>(kind)];
}

const char* FromBinFolder(TDataKind kind) {
  switch (kind) {
  case TDataKind::Plugin:
    return SKARVEL_BIN_TO_PKGLIBDIR "/plugins";
  case TDataKind::Language:
    return SKARVEL_BIN_TO_PKGDATADIR "/lang";
  case TDataKind::Sound:
    return SKARVEL_BIN_TO_PKGDATADIR;
  }
  return "";
}

bool IsFile(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool IsFolder(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The same folder spelled twice (a program folder inside the installed
// one's path, a symlink) is searched once.
bool SameFolder(const std::string& a, const std::string& b) {
  struct stat first {
  }, second{};
  return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

std::string Joined(const std::string& folder, const std::string& name) {
  return folder == "/" ? folder + name : folder + "/" + name;
}

} // namespace

std::string InstalledFolder(TDataKind kind) {
  if (const auto& folder = Override(kind))
    return *folder;
  const std::string bin = FolderOf(ExecutablePath());
  return bin.empty() ? std::string() : Joined(bin, FromBinFolder(kind));
}

void SetInstalledFolder(TDataKind kind, const std::string& folder) {
  if (folder.empty())
    Override(kind).reset();
  else
    Override(kind) = folder;
}

std::vector<std::string> DataFolders(TDataKind kind) {
  std::vector<std::string> folders{ProgramFolder()};
  std::string installed = InstalledFolder(kind);
  // A program run where it was built has no installed folder; the build
  // keeps the shipped languages beside the programs instead.
  if (kind == TDataKind::Language && !IsFolder(installed))
    installed = FolderOf(ExecutablePath());
  if (!installed.empty() && installed != folders.front() && !SameFolder(installed, folders.front()))
    folders.push_back(installed);
  return folders;
}

std::string FindDataFile(TDataKind kind, const std::string& name) {
  if (name.empty() || name.find('/') != std::string::npos)
    return InAppDir(name);
  for (const std::string& folder : DataFolders(kind))
    if (const std::string path = Joined(folder, name); IsFile(path))
      return path;
  return InAppDir(name);
}

std::vector<std::string> ListDataFiles(TDataKind kind, const std::string& extension) {
  std::vector<std::string> files;
  std::set<std::string> names;
  for (const std::string& folder : DataFolders(kind)) {
    const std::unique_ptr<DIR, int (*)(DIR*)> directory(opendir(folder.c_str()), closedir);
    if (!directory)
      continue;
    while (const dirent* entry = readdir(directory.get())) {
      const std::string name = entry->d_name;
      if (name.size() > extension.size() && name.ends_with(extension) &&
          IsFile(Joined(folder, name)) && names.insert(name).second)
        files.push_back(Joined(folder, name));
    }
  }
  return files;
}
