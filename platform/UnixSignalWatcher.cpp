#include "platform/UnixSignalWatcher.h"

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int pipeEnds[2] = {-1, -1};

void OnSignal(int signal) {
  const unsigned char byte = static_cast<unsigned char>(signal);
  [[maybe_unused]] const ssize_t ignored = ::write(pipeEnds[1], &byte, 1);
}

} // namespace

UnixSignalWatcher::UnixSignalWatcher(std::initializer_list<int> watched, QObject* parent)
    : QObject(parent) {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, pipeEnds) != 0)
    return;
  notifier_ = std::make_unique<QSocketNotifier>(pipeEnds[0], QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, &UnixSignalWatcher::OnReadable);

  struct sigaction action = {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : watched)
    sigaction(signal, &action, nullptr);
}

UnixSignalWatcher::~UnixSignalWatcher() = default;

void UnixSignalWatcher::OnReadable() {
  unsigned char byte = 0;
  while (::read(pipeEnds[0], &byte, 1) == 1)
    emit received(byte);
}
