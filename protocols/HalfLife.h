#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "games/ComBase.h"
#include "protocols/TableQuery.h"

// The Half-Life engine protocols of "cs", "csp" and "css". Their replies share
// one layout family; what sets a variant apart is gathered in its record.

enum class THalfLifeInfoFormat {
  Old,    // reply type "m": server address, name, map, directory, description, counts
  Source, // reply type "I": version byte, name, map, folder, game, application id, counts
};

struct THalfLifeVariant {
  THalfLifeInfoFormat infoFormat;
  // A reply is of our game when its description is exactly gameDescription,
  // or when it names gameFolder (and, in the Source format, applicationId):
  // operators put their own text in the description, never in the folder.
  const char* gameDescription;
  const char* gameFolder;
  uint16_t applicationId; // the Source format's; the old format carries none
  const char* fragLimit;  // the frag limit info: these servers report none
  // The info reply's player count is not used; the player reply's count is.
  bool playerCountFromPlayerReply;
  bool utf8Names; // player names are converted to the local encoding
};

class THalfLifeServer : public TGameServerBase {
public:
  using TGameServerBase::TGameServerBase;

protected:
  // Both give SKARVEL_PARSE_NOT_OURS or SKARVEL_PARSE_COMPLETE.
  int32_t ParseInfoReply(const std::string& bytes, const THalfLifeVariant& variant);
  int32_t ParsePlayerReply(const std::string& bytes, const THalfLifeVariant& variant);
};

// "csp" and "css": challenge request, engine query, then the player request
// carrying the challenge, sent to each server that answered.
class THalfLifeHandshakeQuery : public TTableQuery {
public:
  THalfLifeHandshakeQuery();
};

class THalfLifeHandshakeServer : public THalfLifeServer {
public:
  THalfLifeHandshakeServer(const TServerCallbacks& callbacks, const THalfLifeVariant& variant);
  int32_t Parse(int32_t step, const std::string& bytes, int32_t queryContext, intptr_t& challenge,
                bool& listed) override;

private:
  int32_t ParseChallengeReply(const std::string& bytes, intptr_t& challenge);

  const THalfLifeVariant& variant_;
  // The host keeps this buffer's address as the server's challenge, so it must
  // live as long as the parser and always hold the newest challenge.
  std::array<char, 4> challengeBytes_{};
};
