#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The debug switch of the command line: an argument of "-" or "/" followed by
// DEBUG in any letter case. Every other argument is ignored.
bool HasDebugSwitch(const std::vector<std::string>& args);

bool DebugSwitch();
void SetDebugSwitch(bool on);

// The longest "skarvel.err" grows before it moves to "skarvel.err.1".
constexpr std::uint64_t kTraceLimitBytes = 10 * 1024 * 1024;

// A longer text is cut to this many bytes, and the line says how many more
// there were: a plug-in's 100 MB packet must not become a 100 MB line.
constexpr std::size_t kTraceLineLimit = 16 * 1024;

// With the debug switch on, appends "hh:nn:ss.zzz text" to "skarvel.err" in the
// current folder, rotating it at kTraceLimitBytes. Raises std::runtime_error
// when the file cannot be written.
void DebugLog(const std::string& text);
// DebugLog for callers that go on whatever happens: the trace is a debugging
// aid, so a line that cannot be written is dropped.
void DebugLogQuietly(const std::string& text) noexcept;
