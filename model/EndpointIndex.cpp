#include "model/EndpointIndex.h"

#include <functional>

std::size_t EndpointHash(std::string_view host, int32_t port, int32_t gameId) {
  // The port and game mixed into the host's hash, then the bits spread, so
  // that the low bits which pick the slot depend on all three.
  uint64_t hash = std::hash<std::string_view>{}(host);
  hash ^=
      (static_cast<uint64_t>(static_cast<uint32_t>(port)) << 32 | static_cast<uint32_t>(gameId)) *
      0x9e3779b97f4a7c15ULL;
  hash ^= hash >> 30;
  hash *= 0xbf58476d1ce4e5b9ULL;
  hash ^= hash >> 27;
  return static_cast<std::size_t>(hash);
}
