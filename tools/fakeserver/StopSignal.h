#pragma once

// Turns SIGTERM and SIGINT into a readable pipe, so that the poll loop wakes
// up and the program ends normally (exit code 0). One instance at a time.
class StopSignal {
public:
  StopSignal();
  ~StopSignal();
  StopSignal(const StopSignal&) = delete;
  StopSignal& operator=(const StopSignal&) = delete;

  // Becomes readable once a stop signal arrived.
  int Fd() const { return readFd_; }

private:
  int readFd_ = -1;
};
