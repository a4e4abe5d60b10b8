#include "tests/support/FakeServerProcess.h"

#include <chrono>
#include <optional>

FakeServerProcess::FakeServerProcess(const std::vector<std::string>& args)
    : ChildProcess({.program = FAKESERVER_PATH, .args = args}) {
}

std::vector<std::string> FakeServerProcess::WaitForReadyLines(std::size_t count, int timeoutMs) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  std::vector<std::string> lines;
  while (lines.size() < count) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    const std::optional<std::string> line =
        WaitForLine("ready ", static_cast<int>(std::max<long long>(0, left.count())));
    if (!line)
      break;
    if (line->starts_with("ready "))
      lines.push_back(*line);
  }
  return lines;
}
