#pragma once

#include "tools/fakeserver/ReplyBuilder.h"

#include <cstdint>
#include <string_view>

// Which generation of the Half-Life engine's query protocol a server speaks.
enum class HalfLifeStyle {
  // Counter-Strike before the challenge handshake: text commands "details"
  // ('m'), "players" ('D'), "rules" ('E'), "info" ('C'), "infostring" and
  // "ping".
  OldCommands,
  // Patched Counter-Strike: "W" gives a challenge ('A'), the engine query
  // "TSource Engine Query" the 'm' details, "U" / "V" with the challenge the
  // players ('D') / rules ('E'); a wrong or missing challenge gets a new 'A'.
  ChallengeWithOldInfo,
  // Counter-Strike: Source: as above, but the engine query gets the 'I'
  // reply and player names go out in UTF-8.
  Source,
};

class HalfLifeReplies : public ReplyBuilder {
public:
  HalfLifeReplies(HalfLifeStyle style, uint32_t seed);

  std::vector<std::string> Answer(const std::string& request, const ServerState& state) override;

  // The four challenge bytes this server hands out.
  const std::string& Challenge() const { return challenge_; }

private:
  std::vector<std::string> AnswerTextCommand(const std::string& request,
                                             const ServerState& state) const;
  std::vector<std::string> AnswerEngineQuery(std::string_view body, const ServerState& state) const;
  std::string Details(const ServerState& state) const;
  std::string Players(const ServerState& state) const;
  std::string ChallengeReply() const;

  HalfLifeStyle style_;
  std::string challenge_;
};
