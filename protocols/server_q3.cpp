#include "protocols/server_q3.h"

#include <string>
#include <vector>

#include "util/text.h"

namespace {

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

// Lines end at CR, LF or CR LF; a break at the very end opens no further line.
std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n')
      continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
      ++i;
    start = i + 1;
  }
  if (start < text.size())
    lines.push_back(text.substr(start));
  return lines;
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

// score ping "name"
void ReadPlayerLine(const std::string& line, std::string& name, std::string& score) {
  const std::size_t blank = line.find(' ');
  if (blank == std::string::npos) {
    name = "?";
    score = "0";
    return;
  }
  score = line.substr(0, blank);
  const std::size_t quote = line.find('"');
  if (quote == std::string::npos) {
    name = "?";
    return;
  }
  // Up to the line's last character, which is the closing quote on a real server.
  const std::size_t nameStart = quote + 1;
  const std::size_t nameEnd = line.size() - 1;
  name = StripColourCodes(nameEnd > nameStart ? line.substr(nameStart, nameEnd - nameStart) : "");
}

} // namespace

TQueryQ3::TQueryQ3()
    : TTableQuery({std::string("\xFF\xFF\xFF\xFF"
                               "getstatus")},
                  kNoPerServerStep, false) {
}

int32_t TServerQ3::Parse(int32_t, const std::string& bytes, int32_t, intptr_t& challenge,
                         bool& listed) {
  listed = true;
  challenge = 0;
  if (bytes.empty())
    return SKARVEL_PARSE_NOT_OURS;

  // The header line and the variables line come before the second LF.
  std::string playerPart;
  std::size_t variablesEnd = bytes.size();
  if (const std::size_t firstLf = bytes.find('\n'); firstLf != std::string::npos) {
    if (const std::size_t secondLf = bytes.find('\n', firstLf + 1); secondLf != std::string::npos) {
      variablesEnd = secondLf;
      playerPart = bytes.substr(secondLf + 1);
    }
  }

  const std::vector<std::string> variables = VariableLines(bytes.substr(0, variablesEnd));
  const std::string hostName = VariableValue(variables, "sv_hostname");
  const std::string map = VariableValue(variables, "mapname");
  const std::string fragLimit = VariableValue(variables, "fraglimit");
  // Other games' replies carry none of the three.
  if (hostName.empty() && map.empty() && fragLimit.empty())
    return SKARVEL_PARSE_NOT_OURS;

  SetInfo(0, StripColourCodes(hostName));
  SetInfo(1, map);
  SetInfo(2, fragLimit);

  const std::vector<std::string> playerLines = SplitLines(playerPart);
  for (const std::string& line : playerLines) {
    std::string name;
    std::string score;
    ReadPlayerLine(line, name, score);
    AddPlayer(name, score);
  }

  SetInfo(3, std::to_string(playerLines.size()));
  SetInfo(4, VariableValue(variables, "sv_maxclients"));
  return SKARVEL_PARSE_COMPLETE;
}
