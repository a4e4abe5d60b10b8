#include "protocols/server_q3.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "util/text.h"

namespace {

constexpr std::string_view kStatusReplyHeader = "\xFF\xFF\xFF\xFFstatusResponse\n\\";

// "^" and one character pick a colour; "^X" and six hex digits give a free one.
std::string StripColourCodes(const std::string& text) {
  constexpr std::size_t kNamedCodeLength = 2;
  constexpr std::size_t kHexCodeLength = 8;
  std::string plain;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == '^' && i + 1 < text.size()) {
      const bool hexCode = text[i + 1] == 'x' || text[i + 1] == 'X';
      i += hexCode ? kHexCodeLength : kNamedCodeLength;
      continue;
    }
    plain += text[i];
    ++i;
  }
  return plain;
}

// "\name\value\name\value" becomes one "name=value" line per variable.
std::vector<std::string> VariableLines(const std::string& variables) {
  std::string text;
  bool atName = false;
  for (const char c : variables) {
    if (c == '\\') {
      atName = !atName;
      text += atName ? "\r\n" : "=";
    } else {
      text += c;
    }
  }
  return SplitLines(text);
}

std::string VariableValue(const std::vector<std::string>& lines, const std::string& name) {
  for (const std::string& line : lines) {
    const std::size_t equals = line.find('=');
    if (equals != std::string::npos && SameTextAscii(line.substr(0, equals), name))
      return line.substr(equals + 1);
  }
  return {};
}

bool IsInteger(std::string_view text) {
  if (text.starts_with('-'))
    text.remove_prefix(1);
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

struct TPlayerLine {
  std::string name;
  std::string score;
};

// score ping "name": the server prints every player so, the name quoted up
// to the end of the line. Anything else is no player line of a status reply.
std::optional<TPlayerLine> ReadPlayerLine(const std::string& line) {
  const std::size_t scoreEnd = line.find(' ');
  if (scoreEnd == std::string::npos)
    return std::nullopt;
  const std::size_t pingEnd = line.find(' ', scoreEnd + 1);
  if (pingEnd == std::string::npos)
    return std::nullopt;
  const std::string_view text(line);
  const std::size_t nameStart = pingEnd + 2;
  if (!IsInteger(text.substr(0, scoreEnd)) ||
      !IsInteger(text.substr(scoreEnd + 1, pingEnd - scoreEnd - 1)) ||
      line.size() < nameStart + 1 || line[pingEnd + 1] != '"' || line.back() != '"')
    return std::nullopt;
  return TPlayerLine{StripColourCodes(line.substr(nameStart, line.size() - 1 - nameStart)),
                     line.substr(0, scoreEnd)};
}

// The datagrams are the same for every address of the game: one table for all.
const std::vector<std::string>& QuerySteps() {
  static const std::vector<std::string> steps{std::string("\xFF\xFF\xFF\xFF"
                                                          "getstatus")};
  return steps;
}

} // namespace

TQueryQ3::TQueryQ3() : TTableQuery(QuerySteps(), kNoPerServerStep, false) {
}

int32_t TServerQ3::Parse(int32_t, const std::string& bytes, int32_t, intptr_t& challenge,
                         bool& listed) {
  listed = true;
  challenge = 0;
  // The reply word's line, then the variables line, which opens with a backslash.
  if (!bytes.starts_with(kStatusReplyHeader))
    return SKARVEL_PARSE_NOT_OURS;

  // The variables line ends at the second LF; the player lines follow it.
  std::string playerPart;
  std::size_t variablesEnd = bytes.size();
  if (const std::size_t secondLf = bytes.find('\n', kStatusReplyHeader.size());
      secondLf != std::string::npos) {
    variablesEnd = secondLf;
    playerPart = bytes.substr(secondLf + 1);
  }

  const std::vector<std::string> variables = VariableLines(bytes.substr(0, variablesEnd));
  const std::string hostName = VariableValue(variables, "sv_hostname");
  const std::string map = VariableValue(variables, "mapname");
  const std::string fragLimit = VariableValue(variables, "fraglimit");
  // Other games' replies carry none of the three.
  if (hostName.empty() && map.empty() && fragLimit.empty())
    return SKARVEL_PARSE_NOT_OURS;

  // Every player line is read before anything is delivered: one that is not
  // a player line makes the whole datagram no status reply.
  std::vector<TPlayerLine> players;
  for (const std::string& line : SplitLines(playerPart)) {
    std::optional<TPlayerLine> player = ReadPlayerLine(line);
    if (!player)
      return SKARVEL_PARSE_NOT_OURS;
    players.push_back(std::move(*player));
  }

  SetInfo(SKARVEL_INFO_NAME, StripColourCodes(hostName));
  SetInfo(SKARVEL_INFO_MAP, map);
  SetInfo(SKARVEL_INFO_FRAG_LIMIT, fragLimit);
  for (const TPlayerLine& player : players)
    AddPlayer(player.name, player.score);
  SetInfo(SKARVEL_INFO_PLAYERS, std::to_string(players.size()));
  SetInfo(SKARVEL_INFO_MAX_PLAYERS, VariableValue(variables, "sv_maxclients"));
  return SKARVEL_PARSE_COMPLETE;
}
