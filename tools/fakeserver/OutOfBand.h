#pragma once

#include <optional>
#include <string>
#include <string_view>

// Quake and Half-Life engines mark connectionless datagrams with four 0xFF
// bytes in front of a text command or a one-letter binary request.
inline constexpr std::string_view kOutOfBandHeader{"\xFF\xFF\xFF\xFF", 4};

std::string OutOfBand(std::string_view body);

// The bytes after the header; nothing when the header is missing.
std::optional<std::string_view> OutOfBandBody(std::string_view datagram);

// A text command split into its first word and the rest, as the engines'
// command tokenizers see it: trailing NULs, line breaks and blanks are
// ignored, so "status", "status\n" and "status\0" are the same request.
struct TextCommand {
  std::string word;
  std::string argument;
};
std::optional<TextCommand> ParseTextCommand(std::string_view datagram);
