#include "util/file_io.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

bool WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t put = write(fd, text.data() + done, text.size() - done);
    if (put < 0 && errno == EINTR)
      continue;
    if (put <= 0)
      return false;
    done += static_cast<size_t>(put);
  }
  return true;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos)
    return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// mkstemp's suffix: six letters or digits.
bool IsTemporaryName(const std::string& name, const std::string& fileName) {
  const std::string prefix = fileName + ".";
  if (name.size() != prefix.size() + 6 || !name.starts_with(prefix))
    return false;
  for (size_t i = prefix.size(); i < name.size(); ++i) {
    const char c = name[i];
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
      return false;
  }
  return true;
}

// Removed when it is this user's plain file, unchanged for kStaleTemporaryAge
// and not locked by a writer, and the name still stands for it. (Non-blocking:
// a pipe of that name would otherwise stall the open.)
void RemoveIfStale(int folder, const char* name) {
  const int fd = openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0)
    return;
  struct stat info {};
  struct stat now {};
  const bool stale = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == geteuid() &&
                     time(nullptr) - info.st_mtime >= kStaleTemporaryAge.count() &&
                     flock(fd, LOCK_EX | LOCK_NB) == 0 &&
                     fstatat(folder, name, &now, AT_SYMLINK_NOFOLLOW) == 0 &&
                     now.st_dev == info.st_dev && now.st_ino == info.st_ino;
  if (stale)
    unlinkat(folder, name, 0);
  close(fd);
}

std::string TooBig() {
  return "larger than " + std::to_string(kMaxWholeFileSize >> 20) + " MiB";
}

mode_t ModeFor(const std::string& path) {
  struct stat old;
  if (stat(path.c_str(), &old) == 0)
    return old.st_mode & 07777;
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

void RemoveStaleTemporaryFiles(const std::string& path) {
  const std::string fileName = NameOf(path);
  DIR* folder = opendir(FolderOf(path).c_str());
  if (!folder)
    return;
  while (const dirent* entry = readdir(folder))
    if (IsTemporaryName(entry->d_name, fileName))
      RemoveIfStale(dirfd(folder), entry->d_name);
  closedir(folder);
}

// A file that cannot be read whole as text: a folder, a device, a pipe or a
// socket, or one larger than the limit.
std::optional<std::string> KindProblem(const struct stat& info) {
  if (S_ISDIR(info.st_mode))
    return std::strerror(EISDIR);
  if (!S_ISREG(info.st_mode))
    return "not a regular file";
  if (static_cast<std::uintmax_t>(info.st_size) > kMaxWholeFileSize)
    return TooBig();
  return std::nullopt;
}

std::optional<std::string> Refused(std::string& problem, std::string reason) {
  problem = std::move(reason);
  return std::nullopt;
}

// Takes the reason; -1 stands for no file.
int NoFile(std::string& problem, std::string reason) {
  problem = std::move(reason);
  return -1;
}

// The file opened for reading, `info` its status; or -1 and why not.
int OpenBounded(const std::string& path, struct stat& info, std::string& problem) {
  // Looked at before opening: the open of a pipe waits for a writer, and a
  // device such as /dev/zero never ends.
  if (stat(path.c_str(), &info) != 0)
    return NoFile(problem, std::strerror(errno));
  if (std::optional<std::string> kind = KindProblem(info))
    return NoFile(problem, *kind);
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0)
    return NoFile(problem, std::strerror(errno));
  // The name may stand for another file by now.
  std::optional<std::string> kind =
      fstat(fd, &info) == 0 ? KindProblem(info) : std::optional(std::string(std::strerror(errno)));
  if (kind) {
    close(fd);
    return NoFile(problem, *kind);
  }
  return fd;
}

// Appends up to `wanted` bytes of `fd` (fewer at its end) to `text`; false,
// with why, when a read fails.
bool ReadInto(int fd, std::string& text, std::size_t wanted, std::string& problem) {
  char buffer[65536];
  while (text.size() < wanted) {
    const ssize_t got = read(fd, buffer, std::min(sizeof buffer, wanted - text.size()));
    if (got < 0 && errno == EINTR)
      continue;
    if (got < 0) {
      problem = std::strerror(errno);
      return false;
    }
    if (got == 0)
      break;
    text.append(buffer, static_cast<size_t>(got));
  }
  return true;
}

std::optional<std::string> ReadBounded(const std::string& path, std::string& problem) {
  struct stat info {};
  const int fd = OpenBounded(path, info, problem);
  if (fd < 0)
    return std::nullopt;
  std::string text;
  // Made at the file's size at once: grown by doubling, a big file would
  // briefly take three times its size.
  text.reserve(static_cast<std::size_t>(info.st_size));
  const bool read = ReadInto(fd, text, kMaxWholeFileSize + 1, problem);
  close(fd);
  if (!read)
    return std::nullopt;
  if (text.size() > kMaxWholeFileSize)
    return Refused(problem, TooBig()); // it grew while being read
  return text;
}

} // namespace

std::optional<std::string> ReadWholeFile(const std::string& path) {
  std::string problem;
  return ReadBounded(path, problem);
}

std::optional<std::string> WholeFileProblem(const std::string& path) {
  // A byte read tells what the whole read would: the file is not read twice.
  std::string problem;
  struct stat info {};
  const int fd = OpenBounded(path, info, problem);
  if (fd < 0)
    return problem;
  std::string probe;
  const bool read = ReadInto(fd, probe, 1, problem);
  close(fd);
  return read ? std::nullopt : std::optional(problem);
}

bool ReplaceFileAtomically(const std::string& path, const std::string& content,
                           std::optional<mode_t> mode) {
  // Leftovers of writes that a crash or a kill interrupted; done first, as
  // they may hold the room this write needs.
  RemoveStaleTemporaryFiles(path);
  std::string temp = path + ".XXXXXX";
  const int fd = mkstemp(temp.data());
  if (fd < 0)
    return false;
  // Held while writing: another writer's clean-up leaves a locked file alone,
  // however long the write takes.
  flock(fd, LOCK_EX);
  // mkstemp alone would leave 0600.
  bool ok =
      WriteAll(fd, content) && fchmod(fd, mode.value_or(ModeFor(path))) == 0 && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  if (!ok || rename(temp.c_str(), path.c_str()) != 0) {
    unlink(temp.c_str());
    return false;
  }
  // The rename itself survives a crash only once the folder is on disk.
  const int folder = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    fsync(folder);
    close(folder);
  }
  return true;
}
