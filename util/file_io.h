#pragma once

#include <optional>
#include <string>
#include <sys/types.h>

// The whole file as bytes; nothing when it is missing or cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path);

// Replaces the file through a temporary file in the same folder (written,
// flushed, renamed), so readers and crashes never see half a file. The file
// gets `mode`, or else keeps the permissions it had (new files: 0666 less the
// umask). False, with the old file untouched, when any step fails.
bool ReplaceFileAtomically(const std::string& path, const std::string& content,
                           std::optional<mode_t> mode = std::nullopt);
