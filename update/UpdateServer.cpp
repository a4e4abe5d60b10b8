#include "update/UpdateServer.h"

#include <cstdlib>

namespace {

std::optional<uint16_t> ParsePort(const std::string& text) {
  if (text.empty() || text.size() > 5)
    return std::nullopt;
  uint32_t port = 0;
  for (const char c : text) {
    if (c < '0' || c > '9')
      return std::nullopt;
    port = port * 10 + static_cast<uint32_t>(c - '0');
  }
  if (port < 1 || port > 65535)
    return std::nullopt;
  return static_cast<uint16_t>(port);
}

// Only printable ASCII may go into the request line, so a configured host can
// never add a header of its own.
bool IsPlainHost(const std::string& host) {
  if (host.empty())
    return false;
  for (const char c : host)
    if (c <= ' ' || c > '~' || c == '/' || c == '@')
      return false;
  return true;
}

} // namespace

std::optional<TUpdateServer> ParseUpdateServer(const std::string& text) {
  TUpdateServer server;
  std::string port;
  if (!text.empty() && text.front() == '[') {
    const std::size_t close = text.find(']');
    if (close == std::string::npos)
      return std::nullopt;
    server.Host = text.substr(1, close - 1);
    const std::string rest = text.substr(close + 1);
    if (!rest.empty()) {
      if (rest.front() != ':')
        return std::nullopt;
      port = rest.substr(1);
      if (port.empty())
        return std::nullopt;
    }
  } else {
    const std::size_t colon = text.find(':');
    server.Host = text.substr(0, colon);
    if (colon != std::string::npos) {
      port = text.substr(colon + 1);
      if (port.empty())
        return std::nullopt;
    }
  }
  if (!IsPlainHost(server.Host))
    return std::nullopt;
  if (!port.empty()) {
    const auto number = ParsePort(port);
    if (!number)
      return std::nullopt;
    server.Port = *number;
  }
  return server;
}

std::optional<TUpdateServer> ConfiguredUpdateServer(const std::string& buildOption) {
  const char* fromEnvironment = std::getenv("SKARVEL_UPDATE_HOST");
  return ParseUpdateServer(fromEnvironment ? std::string(fromEnvironment) : buildOption);
}

std::string UpdateRequest(const TUpdateServer& server) {
  std::string host =
      server.Host.find(':') != std::string::npos ? "[" + server.Host + "]" : server.Host;
  // HTTP names the port in Host whenever it is not the scheme's own.
  if (server.Port != 80)
    host += ":" + std::to_string(server.Port);
  return "GET /skarvel.htm HTTP/1.1\r\n"
         "Host: " +
         host +
         "\r\n"
         "Accept: */*\r\n"
         "Connection: close\r\n"
         "\r\n";
}
