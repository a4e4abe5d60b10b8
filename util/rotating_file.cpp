#include "util/rotating_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

[[noreturn]] void ThrowFileError(const std::string& path, const std::string& what, int error) {
  throw std::runtime_error(path + ": " + what + ": " + std::strerror(error));
}

} // namespace

TRotatingFile::TRotatingFile(std::string path, std::uint64_t limitBytes)
    : path_(std::move(path)), limit_(limitBytes) {
}

TRotatingFile::~TRotatingFile() {
  Close();
}

void TRotatingFile::Append(const std::string& line) {
  if (!size_ || *size_ + line.size() > limit_) {
    size_ = SizeOnDisk();
    if (*size_ > 0 && *size_ + line.size() > limit_)
      Rotate();
  }
  if (!PathStillNamesOpenFile())
    Open();
  Write(line);
}

std::uint64_t TRotatingFile::SizeOnDisk() const {
  struct stat status {};
  if (stat(path_.c_str(), &status) == 0)
    return static_cast<std::uint64_t>(status.st_size);
  const int error = errno;
  if (error != ENOENT)
    ThrowFileError(path_, "cannot read its size", error);
  return 0;
}

void TRotatingFile::Rotate() {
  const std::string older = path_ + ".1";
  if (std::rename(path_.c_str(), older.c_str()) != 0) {
    const int error = errno;
    ThrowFileError(path_, "cannot move it to " + older, error);
  }
  Close();
  size_ = 0;
}

bool TRotatingFile::PathStillNamesOpenFile() const {
  if (fd_ < 0)
    return false;
  struct stat status {};
  return stat(path_.c_str(), &status) == 0 && status.st_dev == device_ && status.st_ino == inode_;
}

void TRotatingFile::Open() {
  Close();
  const int fd = open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) {
    const int error = errno;
    ThrowFileError(path_, "cannot open", error);
  }
  struct stat status {};
  if (fstat(fd, &status) != 0) {
    const int error = errno;
    close(fd);
    ThrowFileError(path_, "cannot read its size", error);
  }
  fd_ = fd;
  device_ = status.st_dev;
  inode_ = status.st_ino;
  // A file made afresh after the user removed it starts empty.
  size_ = static_cast<std::uint64_t>(status.st_size);
}

void TRotatingFile::Close() {
  if (fd_ >= 0)
    close(fd_);
  fd_ = -1;
}

void TRotatingFile::Write(const std::string& line) {
  std::size_t written = 0;
  while (written < line.size()) {
    const ssize_t n = write(fd_, line.data() + written, line.size() - written);
    if (n < 0) {
      if (errno == EINTR)
        continue;
      const int error = errno;
      Close();
      size_.reset();
      ThrowFileError(path_, "cannot write", error);
    }
    written += static_cast<std::size_t>(n);
  }
  *size_ += written;
}
