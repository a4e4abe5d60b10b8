#pragma once

#include <string>
#include <vector>

#include "games/plugin.h"

// Whether a built-in protocol takes a datagram for a reply, or a part of
// one, at any step of its poll. What one does is a reply by definition, from
// whatever address it comes, so a garbage sender must not send it.
class TReplyScreen {
public:
  TReplyScreen();
  bool IsReply(const std::string& datagram) const;

private:
  std::vector<TCreateServer> parserFactories_;
};
