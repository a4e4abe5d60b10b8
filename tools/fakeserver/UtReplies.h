#pragma once

#include "tools/fakeserver/ReplyBuilder.h"

// Unreal Tournament (1999): the GameSpy-style text queries "\basic\",
// "\info\", "\rules\", "\players\", "\status\" (all four) and "\echo\".
// An answer is split over datagrams, each tagged "\queryid\<id>.<n>" with n
// counting from 1; the last one also carries "\final\".
class UtReplies : public ReplyBuilder {
public:
  std::vector<std::string> Answer(const std::string& request, const ServerState& state) override;

private:
  int lastQueryId_ = 0;
};
