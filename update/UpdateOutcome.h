#pragma once

#include <string>

// Why a check failed; every failure looks the same to the user, the reason
// goes to the trace.
enum class TUpdateFailure {
  None,
  NoServer,       // no update server is configured
  Unreachable,    // no connection (refused, no such host, no route)
  TimedOut,       // the whole check took longer than its bound
  TooLong,        // the answer passed the byte bound
  NotAPage,       // not an HTTP answer
  NotOk,          // an HTTP status other than 200
  BadHeader,      // an HTTP header line that cannot be read
  BadChunk,       // broken chunked transfer coding
  PageIncomplete, // the answer ended before the news did
  BadDate,        // a date line that is no date
};

const char* UpdateFailureText(TUpdateFailure failure);

struct TUpdateOutcome {
  TUpdateFailure Failure = TUpdateFailure::None;
  std::string News; // the entries newer than the last check, one line each
  bool Succeeded() const { return Failure == TUpdateFailure::None; }
};
