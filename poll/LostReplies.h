#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Tells the user once that the system dropped replies on the poll socket,
// with the remedy: a larger net.core.rmem_max. Servers whose replies were
// lost look offline, so a silent loss would pass for a network fault.
class TLostReplies {
public:
  // `dropped` is the socket's drop count as last read, `bufferBytes` the
  // receive buffer it got. The notice the first time any reply was lost;
  // nothing before and ever after.
  std::optional<std::string> Notice(std::uint32_t dropped, int bufferBytes);

private:
  bool told_ = false;
};
