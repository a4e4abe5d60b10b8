#include "poll/LostReplies.h"

#include "config/MsgINISupp.h"
#include "util/placeholders.h"
#include "util/receive_buffer.h"

std::optional<std::string> TLostReplies::Notice(std::uint32_t dropped, int bufferBytes) {
  if (told_ || dropped == 0)
    return std::nullopt;
  told_ = true;
  return FillPlaceholders(
      Lookup("RepliesLost",
             "Replies were lost: the UDP receive buffer of %1 bytes is too small for this LAN. "
             "As root, run “sysctl -w net.core.rmem_max=%2”, or put “net.core.rmem_max=%2” into "
             "a file in /etc/sysctl.d, then start Skarvel again."),
      {std::to_string(bufferBytes), std::to_string(kPollReceiveBufferBytes)});
}
