#include "protocols/server_q2.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "util/text.h"

namespace {

bool IsBlankOrControl(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

void DropTrailingBlanks(std::string& text) {
  while (!text.empty() && text.back() == ' ')
    text.pop_back();
}

std::string TrimBlanksAndControls(const std::string& text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsBlankOrControl(text[begin]))
    ++begin;
  while (end > begin && IsBlankOrControl(text[end - 1]))
    --end;
  return text.substr(begin, end - begin);
}

// A Quake 2 server has at most 256 client slots; a larger count is not a real
// server's and must not make the host list millions of placeholders.
constexpr int32_t kMaxPlaceholderPlayers = 256;

constexpr std::string_view kInfoReplyHeader = "\xFF\xFF\xFF\xFFinfo\n";

// The reply word and one line of text: the server prints the host name, the
// map and the counts into it, so no control character but its final LF.
bool IsInfoReply(const std::string& bytes) {
  if (!bytes.starts_with(kInfoReplyHeader))
    return false;
  std::string_view line = std::string_view(bytes).substr(kInfoReplyHeader.size());
  if (line.ends_with('\n'))
    line.remove_suffix(1);
  return std::none_of(line.begin(), line.end(),
                      [](char c) { return static_cast<unsigned char>(c) < ' '; });
}

} // namespace

TQueryQ2::TQueryQ2()
    : TTableQuery({std::string("\xFF\xFF\xFF\xFF"
                               "info 34")},
                  kNoPerServerStep, false) {
}

int32_t TServerQ2::Parse(int32_t, const std::string& bytes, int32_t, intptr_t& challenge,
                         bool& listed) {
  listed = true;
  challenge = 0;
  if (!IsInfoReply(bytes))
    return SKARVEL_PARSE_NOT_OURS;

  std::string text = bytes;
  while (!text.empty() && static_cast<unsigned char>(text.back()) < '0')
    text.pop_back();

  std::string counts;
  if (text.size() >= 2) {
    const std::size_t blank = text.rfind(' ', text.size() - 2);
    if (blank != std::string::npos) {
      counts = text.substr(blank + 1);
      text.erase(blank);
    }
  }

  const std::string players = counts.substr(0, counts.find('/'));
  if (!players.empty() && players[0] != '0') {
    const int32_t count = std::min(TextToIntDef(players, 0), kMaxPlaceholderPlayers);
    for (int32_t i = 1; i <= count; ++i)
      AddPlayer("Player" + std::to_string(i), "");
  }

  DropTrailingBlanks(text);
  std::string map;
  if (const std::size_t blank = text.rfind(' '); blank != std::string::npos) {
    map = text.substr(blank + 1);
    text.erase(blank);
  }

  DropTrailingBlanks(text);
  std::string hostName;
  if (const std::size_t lineEnd = text.rfind('\n'); lineEnd != std::string::npos)
    hostName = TrimBlanksAndControls(text.substr(lineEnd + 1));

  SetInfoList({hostName, map, "", counts, ""});
  return SKARVEL_PARSE_COMPLETE;
}
