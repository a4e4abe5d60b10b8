#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The web server that serves the update page.
struct TUpdateServer {
  std::string Host;
  uint16_t Port = 80;
};

// Reads "host" or "host:port" ("[v6 address]:port" for IPv6). Nothing for an
// empty text, an empty host or a port that is not a number from 1 to 65535.
std::optional<TUpdateServer> ParseUpdateServer(const std::string& text);

// The server this program checks: the environment variable SKARVEL_UPDATE_HOST
// when it is set (even empty, which turns the check off), else `buildOption`.
std::optional<TUpdateServer> ConfiguredUpdateServer(const std::string& buildOption);

// The request for the update page, every line ended by CR LF.
std::string UpdateRequest(const TUpdateServer& server);
