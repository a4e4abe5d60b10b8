#include "tools/fakeserver/ReplyBuilderFactory.h"

#include "tools/fakeserver/A2sReplies.h"
#include "tools/fakeserver/HalfLifeReplies.h"
#include "tools/fakeserver/Quake2Replies.h"
#include "tools/fakeserver/Quake3Replies.h"
#include "tools/fakeserver/Ut2004Replies.h"
#include "tools/fakeserver/UtReplies.h"

std::unique_ptr<ReplyBuilder> MakeReplyBuilder(std::string_view gameKey, uint32_t seed,
                                               const A2sBehaviour& a2s) {
  if (gameKey == "ut")
    return std::make_unique<UtReplies>();
  if (gameKey == "u4")
    return std::make_unique<Ut2004Replies>();
  if (gameKey == "q2")
    return std::make_unique<Quake2Replies>();
  if (gameKey == "q3")
    return std::make_unique<Quake3Replies>();
  if (gameKey == "cs")
    return std::make_unique<HalfLifeReplies>(HalfLifeStyle::OldCommands, seed);
  if (gameKey == "csp")
    return std::make_unique<HalfLifeReplies>(HalfLifeStyle::ChallengeWithOldInfo, seed);
  if (gameKey == "css")
    return std::make_unique<HalfLifeReplies>(HalfLifeStyle::Source, seed);
  if (gameKey == "a2s")
    return std::make_unique<A2sReplies>(a2s, seed);
  return nullptr;
}
