#pragma once

#include "tools/fakeserver/ReplyBuilder.h"

#include <cstdint>
#include <memory>
#include <string_view>

// The reply builder for a game key of GameProfiles(); nullptr for any other key.
std::unique_ptr<ReplyBuilder> MakeReplyBuilder(std::string_view gameKey, uint32_t seed);
