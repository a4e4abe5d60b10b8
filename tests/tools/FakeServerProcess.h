#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// The real skarvel-fakeserver binary, started with the given arguments and
// stopped (SIGTERM) when the object goes away.
class FakeServerProcess {
public:
  explicit FakeServerProcess(const std::vector<std::string>& args);
  ~FakeServerProcess();
  FakeServerProcess(const FakeServerProcess&) = delete;
  FakeServerProcess& operator=(const FakeServerProcess&) = delete;

  // Reads stdout until `count` "ready ..." lines arrived; fewer when the
  // program ends or the timeout passes first.
  std::vector<std::string> WaitForReadyLines(std::size_t count, int timeoutMs = 5000);

  // Sends the signal and waits (bounded) for the exit; the exit code, or -1
  // when the program did not end normally in time.
  int Stop(int signal, int timeoutMs = 5000);

private:
  pid_t pid_ = -1;
  int stdoutFd_ = -1;
  std::string pending_;
};
