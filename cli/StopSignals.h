#pragma once

// SIGINT and SIGTERM as a readable descriptor: from construction on they no
// longer end the process at once but wait for the loop, which ends cleanly.
// They stay blocked afterwards, so a second stop cannot cut the ending short.
class TStopSignals {
public:
  TStopSignals(); // raises std::system_error when the signals cannot be caught
  ~TStopSignals();
  TStopSignals(const TStopSignals&) = delete;
  TStopSignals& operator=(const TStopSignals&) = delete;

  int Fd() const { return fd_; }
  // Takes a waiting stop signal; false when none was waiting.
  bool Take();

private:
  int fd_ = -1;
};
