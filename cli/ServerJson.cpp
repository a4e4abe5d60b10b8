#include "cli/ServerJson.h"

#include <cstdint>
#include <cstdio>

#include "util/display_text.h"
#include "model/server.h"

namespace {

bool IsDecimalInteger(const std::string& text) {
  const std::size_t digits = !text.empty() && text[0] == '-' ? 1 : 0;
  if (text.size() == digits || text.size() - digits > 9)
    return false;
  for (std::size_t i = digits; i < text.size(); ++i)
    if (text[i] < '0' || text[i] > '9')
      return false;
  return true;
}

std::string JsonCount(const std::string& text) {
  return IsDecimalInteger(text) ? std::to_string(std::stol(text)) : JsonString(text);
}

std::string JsonPlayers(const TServer& server) {
  std::string out = "[";
  for (int32_t i = 0; i < server.Players.Count(); ++i) {
    const TPlayer& player = server.Players.Items(i);
    if (i > 0)
      out += ", ";
    out += "{\"name\": " + JsonString(player.Name) +
           ", \"frags\": " + std::to_string(player.Frags) + "}";
  }
  return out + "]";
}

std::string JsonServer(const TServer& server) {
  return "{\"host\": " + JsonString(server.Host) + ", \"port\": " + std::to_string(server.Port) +
         ", \"game\": " + JsonString(server.Defs.Key) +
         ", \"name\": " + JsonString(server.Info[0]) + ", \"map\": " + JsonString(server.Info[1]) +
         ", \"fraglimit\": " + JsonCount(server.Info[2]) +
         ", \"players\": " + JsonCount(server.Info[3]) +
         ", \"maxplayers\": " + JsonCount(server.Info[4]) +
         ", \"playerlist\": " + JsonPlayers(server) + "}";
}

} // namespace

std::string JsonString(const std::string& bytes) {
  std::string out = "\"";
  for (const char c : ToUtf8(bytes)) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
    case '"':
      out += "\\\"";
      break;
    case '\\':
      out += "\\\\";
      break;
    case '\n':
      out += "\\n";
      break;
    case '\r':
      out += "\\r";
      break;
    case '\t':
      out += "\\t";
      break;
    default:
      if (byte < 0x20 || byte == 0x7F) {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
        out += escaped;
      } else {
        out += c;
      }
    }
  }
  return out + "\"";
}

std::string FormatServerJson(const TServerList& servers) {
  std::string out = "[";
  bool first = true;
  for (int32_t i = 0; i < servers.Count(); ++i) {
    const TServer& server = servers.Items(i);
    if (!server.Online)
      continue;
    out += first ? "\n  " : ",\n  ";
    out += JsonServer(server);
    first = false;
  }
  return out + (first ? "]\n" : "\n]\n");
}
