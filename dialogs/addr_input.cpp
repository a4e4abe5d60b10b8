#include "dialogs/addr_input.h"

#include <algorithm>

#include "util/text.h"

namespace {

// Port 0 stands for no port: the game's default.
constexpr int32_t kLowestPort = 0;
constexpr int32_t kHighestPort = 65535;
constexpr std::size_t kLongestName = 253;

} // namespace

TAddrInput ParseAddrInput(const std::string& typed) {
  TAddrInput input;
  input.Text = TrimBlanksAndControls(typed);
  const std::size_t colon = input.Text.find(':');
  input.Host = input.Text.substr(0, colon);
  if (colon == std::string::npos)
    return input;
  if (const auto port = TryTextToInt(input.Text.substr(colon + 1))) {
    input.WrongPort = *port < kLowestPort || *port > kHighestPort;
    input.Port = input.WrongPort ? 0 : *port;
  }
  return input;
}

bool IsLookupCandidate(const std::string& host) {
  return !host.empty() && host.size() <= kLongestName &&
         std::none_of(host.begin(), host.end(),
                      [](char c) { return static_cast<unsigned char>(c) <= ' ' || c == '\x7f'; });
}
