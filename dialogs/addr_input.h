#pragma once

#include <cstdint>
#include <string>

// The address as the user typed it into the address dialog.
struct TAddrInput {
  std::string Text; // the whole text without its surrounding blanks
  std::string Host; // the part before the first ":"
  int32_t Port = 0; // the integer text after it; 0 when none or not a number
  bool WrongPort =
      false; // an integer text outside 0..65535 (0: the default), which no server listens on
};

TAddrInput ParseAddrInput(const std::string& typed);

// Whether a host text can name a host at all: not empty, no longer than a
// DNS name, without blanks or control characters. Anything else is refused
// without asking the resolver, which might otherwise send it to a name server.
bool IsLookupCandidate(const std::string& host);
