#pragma once

#include <stdexcept>
#include <string>
#include <vector>

// A settings file that polls only the given loopback addresses, never the
// default list, with no update check and short cycles: 1 s between cycles, so
// a silent server is dropped after 2 s. Each entry is a "host:port,game" key,
// optionally followed by "=" and its stored value (default "1", enabled). The
// version is written, so no start-up port correction runs. Each query step
// waits `answerWaitMs` for its replies.
inline std::string LoopbackSettings(const std::vector<std::string>& addresses,
                                    bool withVersion = true, int answerWaitMs = 200) {
  std::string text = withVersion ? "[Common]\nVersion=2.5\n" : "";
  text += "[Network]\nInterval=1000\nMaxWaitAnswer=" + std::to_string(answerWaitMs) +
          "\nCheckUpdates=0\n[Address]\n";
  for (const std::string& address : addresses) {
    if (!address.starts_with("127."))
      throw std::invalid_argument("not a loopback address: " + address);
    text += address + (address.find('=') == std::string::npos ? "=1\n" : "\n");
  }
  return text;
}
