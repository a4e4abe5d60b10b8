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
    return "not an HTTP 200 answer";
  case TUpdateFailure::PageIncomplete:
    return "page ended early";
  case TUpdateFailure::BadDate:
    return "a date line is no date";
  }
  return "unknown";
}
