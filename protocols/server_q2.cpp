#include "protocols/server_q2.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "util/text.h"

namespace {

void DropTrailingBlanks(std::string& text) {
  while (!text.empty() && text.back() == ' ')
    text.pop_back();
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

struct TCounts {
  int32_t Players = 0;
  int32_t Maximum = 0;
};

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The start of the run of digits that ends at `end`.
std::size_t DigitsBefore(const std::string& text, std::size_t end) {
  while (end > 0 && IsDigit(text[end - 1]))
    --end;
  return end;
}

std::optional<int32_t> DecimalNumber(std::string_view digits) {
  int32_t value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size())
    return std::nullopt;
  return value;
}

// The line ends with the counts word the server prints as "%2i/%2i": a blank,
// the players, "/", the maximum; a maximum below 10 keeps its padding blank
// ("3/ 8"). On a match the text is cut before that blank; anything else (a cut
// reply, a "wrong version" line) is no counts word and leaves the text alone.
std::optional<TCounts> TakeCounts(std::string& text) {
  const std::size_t maximumBegin = DigitsBefore(text, text.size());
  std::size_t slash = maximumBegin;
  while (slash > 0 && text[slash - 1] == ' ')
    --slash;
  if (slash == 0 || text[slash - 1] != '/')
    return std::nullopt;
  const std::size_t playersEnd = slash - 1;
  const std::size_t playersBegin = DigitsBefore(text, playersEnd);
  if (playersBegin == 0 || text[playersBegin - 1] != ' ')
    return std::nullopt;
  const std::string_view view(text);
  const std::optional<int32_t> players =
      DecimalNumber(view.substr(playersBegin, playersEnd - playersBegin));
  const std::optional<int32_t> maximum = DecimalNumber(view.substr(maximumBegin));
  if (!players || !maximum)
    return std::nullopt;
  text.erase(playersBegin - 1);
  return TCounts{*players, *maximum};
}

// A line without a counts word still ends with a word in its place (the
// server's text, or the map of a cut reply): it is dropped, so the map and the
// host name are read from the same places either way.
void DropLastWord(std::string& text) {
  if (text.size() < 2)
    return;
  if (const std::size_t blank = text.rfind(' ', text.size() - 2); blank != std::string::npos)
    text.erase(blank);
}

// The datagrams are the same for every address of the game: one table for all.
const std::vector<std::string>& QuerySteps() {
  static const std::vector<std::string> steps{std::string("\xFF\xFF\xFF\xFF"
                                                          "info 34")};
  return steps;
}

} // namespace

TQueryQ2::TQueryQ2() : TTableQuery(QuerySteps(), kNoPerServerStep, false) {
}

int32_t TServerQ2::Parse(int32_t, const std::string& bytes, int32_t, intptr_t& challenge,
                         bool& listed) {
  listed = true;
  challenge = 0;
  if (!IsInfoReply(bytes))
    return SKARVEL_PARSE_NOT_OURS;

  // The server ends the line with an LF: without it the reply was cut, maybe
  // inside the counts word ("3/1" of "3/16"), so it gives no counts.
  const bool wholeLine = bytes.ends_with('\n');
  std::string text = bytes;
  while (!text.empty() && static_cast<unsigned char>(text.back()) < '0')
    text.pop_back();

  const std::optional<TCounts> counts = wholeLine ? TakeCounts(text) : std::nullopt;
  if (!counts)
    DropLastWord(text);
  const int32_t players = counts ? std::min(counts->Players, kMaxPlaceholderPlayers) : 0;
  for (int32_t i = 1; i <= players; ++i)
    AddPlayer("Player" + std::to_string(i), "");

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

  SetInfoList({hostName, map, "", counts ? std::to_string(counts->Players) : "",
               counts ? std::to_string(counts->Maximum) : ""});
  return SKARVEL_PARSE_COMPLETE;
}
