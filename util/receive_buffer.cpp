#include "util/receive_buffer.h"

#include <linux/sock_diag.h>
#include <sys/socket.h>

namespace {

int ReportedSize(int fd) {
  int reported = 0;
  socklen_t length = sizeof reported;
  if (getsockopt(fd, SOL_SOCKET, SO_RCVBUF, &reported, &length) != 0)
    return 0;
  return reported / 2;
}

bool Ask(int fd, int option, int bytes) {
  return setsockopt(fd, SOL_SOCKET, option, &bytes, sizeof bytes) == 0;
}

} // namespace

TReceiveBuffer EnlargeReceiveBuffer(int fd, int bytes) {
  TReceiveBuffer buffer;
  buffer.Requested = bytes;
  Ask(fd, SO_RCVBUF, bytes);
  buffer.Granted = ReportedSize(fd);
  if (buffer.Granted < bytes && Ask(fd, SO_RCVBUFFORCE, bytes)) {
    buffer.Granted = ReportedSize(fd);
    buffer.Forced = true;
  }
  return buffer;
}

std::string ReceiveBufferTraceLine(const TReceiveBuffer& buffer) {
  const std::string asked = ", asked for " + std::to_string(buffer.Requested);
  if (buffer.Granted <= 0)
    return "UDP receive buffer of unknown size" + asked;
  std::string line = "UDP receive buffer " + std::to_string(buffer.Granted) + " bytes" + asked;
  if (buffer.Forced)
    line += ", past net.core.rmem_max";
  else if (buffer.Granted < buffer.Requested)
    line += ": net.core.rmem_max caps it, replies of a large LAN may be lost";
  return line;
}

std::optional<std::uint32_t> ReceiveDrops(int fd) {
  std::uint32_t memory[SK_MEMINFO_VARS] = {};
  socklen_t length = sizeof memory;
  if (getsockopt(fd, SOL_SOCKET, SO_MEMINFO, memory, &length) != 0 ||
      length < (SK_MEMINFO_DROPS + 1) * sizeof memory[0])
    return std::nullopt;
  return memory[SK_MEMINFO_DROPS];
}
