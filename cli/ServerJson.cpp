#include "cli/ServerJson.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <optional>

#include "config/BuddyList.h"
#include "model/server.h"
#include "util/display_text.h"

namespace {

// Servers print their counts in decimal: a number is an optional "-" and
// digits only, within 32 bits. The integer-text rule's hexadecimal forms and
// blanks would turn texts such as "$10" into numbers the server never meant.
std::optional<int32_t> DecimalInteger(const std::string& text) {
  int32_t value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end)
    return std::nullopt;
  return value;
}

// A number where the server gave one, null where it gave nothing or "-" (the
// Half-Life games' frag limit), else the text as the server sent it.
std::string JsonCount(const std::string& text) {
  if (text.empty() || text == "-")
    return "null";
  if (const std::optional<int32_t> number = DecimalInteger(text))
    return std::to_string(*number);
  return JsonString(text);
}

std::string JsonPlayers(const TServer& server) {
  std::string out = "[";
  for (int32_t i = 0; i < server.Players.Count(); ++i) {
    const TPlayer& player = server.Players.Items(i);
    if (i > 0)
      out += ", ";
    out += "{\"name\": " + JsonString(player.Name) +
           ", \"frags\": " + std::to_string(player.Frags) +
           (Buddies.Matches(player.Name) ? ", \"buddy\": true}" : "}");
  }
  return out + "]";
}

std::string JsonServer(const TServer& server) {
  return "{\"host\": " + JsonString(server.Host) + ", \"port\": " + std::to_string(server.Port) +
         ", \"game\": " + JsonString(server.Defs.Key) +
         ", \"name\": " + JsonString(server.Info[SKARVEL_INFO_NAME]) +
         ", \"map\": " + JsonString(server.Info[SKARVEL_INFO_MAP]) +
         ", \"fraglimit\": " + JsonCount(server.Info[SKARVEL_INFO_FRAG_LIMIT]) +
         ", \"players\": " + JsonCount(server.Info[SKARVEL_INFO_PLAYERS]) +
         ", \"maxplayers\": " + JsonCount(server.Info[SKARVEL_INFO_MAX_PLAYERS]) +
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
