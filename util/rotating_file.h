#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <sys/types.h>

// A file that lines are appended to, kept at most `limitBytes` long: when a
// line would take it past the limit, it moves to "<path>.1" (replacing an
// older one) and a new file starts with that line. A single line longer than
// the limit is written whole into a file of its own.
//
// The file stays open between lines; each line is one write, so it survives a
// crash and other processes read it at once. Before each line the path is
// looked at again: when it no longer names the open file (the user removed
// it, another tool moved it aside, the current folder changed), the file is
// opened afresh there.
//
// The size is counted, not asked of the file system for every line; it is
// read from the file at the first line and checked again before a rotation,
// so a file that was cleared or removed meanwhile is not rotated early.
// Another process appending to the same file is noticed only at that check.
class TRotatingFile {
public:
  TRotatingFile(std::string path, std::uint64_t limitBytes);
  ~TRotatingFile();
  TRotatingFile(const TRotatingFile&) = delete;
  TRotatingFile& operator=(const TRotatingFile&) = delete;

  // Raises std::runtime_error, naming the file, when it cannot be written or
  // moved; a file that cannot be moved is not written further.
  void Append(const std::string& line);

private:
  std::uint64_t SizeOnDisk() const;
  void Rotate();
  bool PathStillNamesOpenFile() const;
  void Open();
  void Close();
  void Write(const std::string& line);

  std::string path_;
  std::uint64_t limit_;
  std::optional<std::uint64_t> size_; // none: not known yet, or after a failed write
  int fd_ = -1;
  dev_t device_ = 0; // of the open file, to tell whether the path still names it
  ino_t inode_ = 0;
};
