#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <sys/types.h>
#include <thread>
#include <vector>

// What to start: the program, its arguments (without the program itself),
// "NAME=value" entries set over the test's own environment (or, with
// `inheritEnvironment` off, the whole environment) and the folder to start in
// (the test's own when empty).
// (Every member has an initializer, so designated initializers may leave any
// of them out.)
struct ChildCommand {
  std::string program{};
  std::vector<std::string> args{};
  std::vector<std::string> environment{};
  bool inheritEnvironment = true;
  std::string workingFolder{};
};

// A program started for a test, standard input from /dev/null. A thread
// collects its standard output (as lines) and standard error as they come, so
// the child never stops on a full pipe while the test looks elsewhere. Every
// wait is bounded; the child is killed when the object goes away.
class ChildProcess {
public:
  explicit ChildProcess(const ChildCommand& command);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // The first line not yet taken that contains `text`; nothing when standard
  // output ends or the timeout passes first. Lines passed over stay in Lines().
  std::optional<std::string> WaitForLine(const std::string& text, int timeoutMs);
  // Waits for the child to end and both outputs to close; its exit code, or -1
  // when it was killed by a signal or had to be killed after the timeout.
  int Wait(int timeoutMs);
  // Sends the signal, then Wait.
  int Stop(int signal, int timeoutMs = 5000);
  void Signal(int signal) const;
  bool Running() const;
  pid_t Pid() const { return pid_; }

  // Every complete line of standard output so far.
  std::vector<std::string> Lines() const;
  std::string Output() const;
  std::string Errors() const;

private:
  void Collect();
  // Reads one chunk of `fd`; false at its end.
  bool ReadFrom(int fd);
  bool Finished() const;

  pid_t pid_ = -1;
  int pidFd_ = -1;
  int stdoutFd_ = -1;
  int stderrFd_ = -1;
  int wakeFd_ = -1;

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool outputEnded_ = false;
  bool errorsEnded_ = false;
  bool exited_ = false;
  int status_ = 0;
  std::string pending_;
  std::vector<std::string> lines_;
  std::size_t taken_ = 0;
  std::string errors_;

  std::thread collector_;
};
