#pragma once

#include <cstdint>
#include <string>

// A server as the live list finds it again: by the time a user answers a
// notification its record may have gone, so only these are kept.
struct TServerKey {
  std::string Host;
  int32_t Port = 0;
  int32_t GameId = 0;
  bool operator==(const TServerKey&) const = default;
};
