#include "update/UpdateOutcome.h"

const char* UpdateFailureText(TUpdateFailure failure) {
  switch (failure) {
  case TUpdateFailure::None:
    return "none";
  case TUpdateFailure::NoServer:
    return "no update server configured";
  case TUpdateFailure::Unreachable:
    return "server unreachable";
  case TUpdateFailure::TimedOut:
    return "timed out";
  case TUpdateFailure::TooLong:
    return "answer too long";
  case TUpdateFailure::NotAPage:
    return "not an HTTP answer";
  case TUpdateFailure::NotOk:
    return "HTTP status other than 200";
  case TUpdateFailure::BadHeader:
    return "a broken HTTP header line";
  case TUpdateFailure::BadChunk:
    return "broken chunked transfer coding";
  case TUpdateFailure::PageIncomplete:
    return "page ended early";
  case TUpdateFailure::BadDate:
    return "a date line is no date";
  }
  return "unknown";
}
