#pragma once

#include "tools/fakeserver/A2sBehaviour.h"
#include "tools/fakeserver/ReplyBuilder.h"

#include <cstdint>
#include <string_view>

// A Team Fortress 2 server as today's Source query clients meet it: the info
// request ("TSource Engine Query") and the player request ('U') each need the
// client's challenge, asked for with none or with FF FF FF FF and answered
// with 'A'; with it they get 'I' and 'D'. A wrong challenge gets the right one
// again. Each client address has a challenge of its own, drawn from the seed.
// Replies longer than the split size go out as split datagrams.
class A2sReplies : public ReplyBuilder {
public:
  A2sReplies(const A2sBehaviour& behaviour, uint32_t seed);

  // As a request from one client that is always the same.
  std::vector<std::string> Answer(const std::string& request, const ServerState& state) override;
  std::vector<std::string> AnswerFrom(const std::string& request, std::string_view client,
                                      const ServerState& state) override;

  // The four challenge bytes a client ("address:port") gets.
  std::string ChallengeFor(std::string_view client) const;

private:
  std::vector<std::string> Send(const std::string& reply);

  A2sBehaviour behaviour_;
  uint64_t secret_;
  uint32_t nextSplitId_;
};
