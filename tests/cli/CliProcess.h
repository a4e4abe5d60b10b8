#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

// The real skarvel-cli, started with the given arguments and SKARVEL_HOME (in
// `startFolder` when one is given), its standard output read line by line and
// its standard error collected. Every wait is bounded; the program is killed
// when the object goes away.
class CliProcess {
public:
  CliProcess(const std::string& home, const std::vector<std::string>& args,
             const std::string& startFolder = {});
  ~CliProcess();
  CliProcess(const CliProcess&) = delete;
  CliProcess& operator=(const CliProcess&) = delete;

  // The first line not yet taken that contains `text`; nothing when the
  // program ends or the timeout passes first. Lines passed over stay in
  // Lines().
  std::optional<std::string> WaitForLine(const std::string& text, int timeoutMs);
  // Waits (bounded) for the program to end; its exit code, or -1 when it had
  // to be killed or did not exit normally.
  int Wait(int timeoutMs);
  // Sends the signal, then Wait.
  int Stop(int signal, int timeoutMs = 5000);

  // Every complete line of standard output read so far.
  const std::vector<std::string>& Lines() const { return lines_; }
  std::string Output() const;
  const std::string& Errors() const { return errors_; }

private:
  // Reads what comes within the time left; false once standard output ended.
  bool ReadSome(std::chrono::steady_clock::time_point deadline);

  pid_t pid_ = -1;
  int stdoutFd_ = -1;
  int stderrFd_ = -1;
  std::string pending_;
  std::vector<std::string> lines_;
  std::size_t taken_ = 0;
  std::string errors_;
};
