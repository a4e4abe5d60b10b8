#pragma once

#include <cstdint>
#include <optional>
#include <string>

// A file that lines are appended to, each line opening, appending to and
// closing it, kept at most `limitBytes` long: when a line would take it past
// the limit, it moves to "<path>.1" (replacing an older one) and a new file
// starts with that line. A single line longer than the limit is written whole
// into a file of its own.
//
// The size is counted, not asked of the file system for every line; it is
// read from the file at the first line and checked again before a rotation,
// so a file that was cleared or removed meanwhile is not rotated early.
// Another process appending to the same file is noticed only at that check.
class TRotatingFile {
public:
  TRotatingFile(std::string path, std::uint64_t limitBytes);

  // Raises std::runtime_error, naming the file, when it cannot be written or
  // moved; a file that cannot be moved is not written further.
  void Append(const std::string& line);

private:
  std::uint64_t SizeOnDisk() const;
  void Rotate();
  void Write(const std::string& line);

  std::string path_;
  std::uint64_t limit_;
  std::optional<std::uint64_t> size_; // none: not known yet, or after a failed write
};
