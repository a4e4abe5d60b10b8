#include "util/resolve.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

std::string ResolveHost(const std::string& host) {
  try {
    // The C interfaces below stop at a NUL; a name with one inside is not a name.
    if (host.empty() || host.find('\0') != std::string::npos)
      return {};
    in_addr address{};
    if (inet_pton(AF_INET, host.c_str(), &address) == 1)
      return host;

    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM; // one entry per address, not one per socket type
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found)
      return {};
    std::string result;
    for (const addrinfo* entry = found; entry; entry = entry->ai_next) {
      if (entry->ai_family != AF_INET || !entry->ai_addr)
        continue;
      const auto* ipv4 = reinterpret_cast<const sockaddr_in*>(entry->ai_addr);
      char text[INET_ADDRSTRLEN] = {};
      if (inet_ntop(AF_INET, &ipv4->sin_addr, text, sizeof text))
        result = text;
      break;
    }
    freeaddrinfo(found);
    return result;
  } catch (...) {
    return {};
  }
}
