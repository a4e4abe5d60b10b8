#include "util/poll_sockets.h"

#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <system_error>
#include <unistd.h>

namespace {

sockaddr_in AnyAddress(std::uint16_t port) {
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_addr.s_addr = htonl(INADDR_ANY);
  local.sin_port = htons(port);
  return local;
}

int NewSocket(bool shared) {
  const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0)
    throw std::system_error(errno, std::generic_category(), "cannot open the UDP socket");
  const int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
  if (shared)
    setsockopt(fd, SOL_SOCKET, SO_REUSEPORT, &on, sizeof on);
  return fd;
}

bool BindTo(int fd, std::uint16_t port) {
  const sockaddr_in local = AnyAddress(port);
  return bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0;
}

// Free for a group of its own: a socket that does not share binds it.
bool PortIsFree(std::uint16_t port) {
  const int probe = NewSocket(false);
  const bool free = BindTo(probe, port);
  close(probe);
  return free;
}

std::uint16_t BoundPort(int fd) {
  sockaddr_in local{};
  socklen_t length = sizeof local;
  if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) != 0)
    return 0;
  return ntohs(local.sin_port);
}

void CloseAll(const std::vector<int>& fds) {
  for (const int fd : fds)
    close(fd);
}

} // namespace

std::vector<int> OpenPollSockets(std::uint16_t port) {
  std::vector<int> fds;
  try {
    fds.push_back(NewSocket(true));
    if (!PortIsFree(port) || !BindTo(fds.front(), port))
      BindTo(fds.front(), 0);
    // Without a port of its own the first socket stays alone.
    const std::uint16_t bound = BoundPort(fds.front());
    for (int i = 1; bound != 0 && i < kPollSocketCount; ++i) {
      fds.push_back(NewSocket(true));
      if (!BindTo(fds.back(), bound)) {
        close(fds.back());
        fds.pop_back();
        break;
      }
    }
  } catch (...) {
    CloseAll(fds);
    throw;
  }
  return fds;
}
