#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <sys/types.h>

// Files read whole (the settings, language files) are held in memory: a
// bigger one is refused rather than read until memory runs out.
inline constexpr std::size_t kMaxWholeFileSize = std::size_t{64} << 20;

// The whole file as bytes; nothing when it is missing, cannot be read, is not
// a regular file (a folder, a device or a pipe, also behind a symbolic link)
// or is larger than kMaxWholeFileSize. Never waits for a pipe's writer.
std::optional<std::string> ReadWholeFile(const std::string& path);
// Why ReadWholeFile gives nothing for the file ("No such file or directory",
// "not a regular file", "larger than 64 MiB" ...); nothing when it reads.
std::optional<std::string> WholeFileProblem(const std::string& path);

// Replaces the file through a temporary file in the same folder (written,
// flushed, renamed), so readers and crashes never see half a file. The file
// gets `mode`, or else keeps the permissions it had (new files: 0666 less the
// umask). False, with the old file untouched, when any step fails. First it
// removes what interrupted writes of the same file left: files in its folder
// named as the temporary files are (the file's name, a dot and six letters or
// digits), plain files of this user, unchanged for kStaleTemporaryAge and not
// locked by a running writer. Nothing else is ever removed.
bool ReplaceFileAtomically(const std::string& path, const std::string& content,
                           std::optional<mode_t> mode = std::nullopt);

// A temporary file of ReplaceFileAtomically unchanged for this long is left
// over from an interrupted write, and the next write of the same file removes
// it. Writes take far less, and a writer holds a lock on its file while it
// writes, so the age only has to cover the moments before the lock is taken
// and after it is let go.
inline constexpr std::chrono::seconds kStaleTemporaryAge{10 * 60};
