#pragma once

#include "tools/fakeserver/A2sBehaviour.h"
#include "tools/fakeserver/ReplyBuilder.h"

#include <cstdint>
#include <memory>
#include <string_view>

// The reply builder for a game key of GameProfiles(); nullptr for any other key.
// Only "a2s" heeds the behaviour.
std::unique_ptr<ReplyBuilder> MakeReplyBuilder(std::string_view gameKey, uint32_t seed,
                                               const A2sBehaviour& a2s = {});
