#include "a2s_server.h"

#include <stdio.h>
#include <string.h>

#include "a2s_replies.h"
#include "a2s_split.h"
#include "a2s_steps.h"

typedef struct A2sServer {
  IGameServer iface; /* first: the host's pointer is the object's */
  uint32_t refs;
  TSetInfo setInfo;
  void* setInfoContext;
  TAddPlayer addPlayer;
  void* addPlayerContext;
  A2sChallenges challenges; /* of the current poll */
  uint8_t gaveInfo;         /* an info reply came before, in this poll or an earlier one */
  uint8_t goldSrc;          /* the server's last info reply was a GoldSrc server's */
  uint8_t playersDelivered; /* in the current poll */
  A2sSplit split;
} A2sServer;

static int32_t SKARVEL_STDCALL QueryInterface(IGameServer* self, const void* iid, void** object) {
  (void)self;
  (void)iid;
  if (object != NULL)
    *object = NULL;
  return A2S_NO_INTERFACE;
}

static uint32_t SKARVEL_STDCALL AddRef(IGameServer* self) {
  return ++((A2sServer*)self)->refs;
}

static uint32_t SKARVEL_STDCALL Release(IGameServer* self) {
  A2sServer* server = (A2sServer*)self;
  const uint32_t refs = --server->refs;
  if (refs == 0)
    free(server);
  return refs;
}

/* A new poll: its challenges and its replies start afresh. */
static void SKARVEL_STDCALL Reset(IGameServer* self) {
  A2sServer* server = (A2sServer*)self;
  memset(&server->challenges, 0, sizeof server->challenges);
  server->playersDelivered = 0;
  A2sSplitReset(&server->split);
}

static int IsInfoStep(int32_t step) {
  return step == A2S_STEP_INFO || step == A2S_STEP_INFO_CHALLENGED;
}

/* A challenge is the whole answer to a request that asked for one. The host
 * lists a server on its first complete answer under the name it has by then,
 * so a server whose info never came answers only in part, and a challenge
 * that answers a request carrying one (it was refused) is never the answer. */
static int32_t TakeChallenge(A2sServer* server, int32_t step, const uint8_t* reply, size_t size) {
  const uint8_t* challenge = A2sReadChallenge(reply, size);
  const int asked = step == A2S_STEP_INFO || step == A2S_STEP_PLAYER_CHALLENGE;
  if (challenge == NULL)
    return SKARVEL_PARSE_NOT_OURS;
  if (IsInfoStep(step)) {
    memcpy(server->challenges.info, challenge, sizeof server->challenges.info);
    server->challenges.hasInfo = 1;
  } else {
    memcpy(server->challenges.player, challenge, sizeof server->challenges.player);
    server->challenges.hasPlayer = 1;
  }
  return asked && server->gaveInfo ? SKARVEL_PARSE_COMPLETE : SKARVEL_PARSE_PARTIAL;
}

static void SetInfo(A2sServer* server, int32_t index, const char* value) {
  if (server->setInfo != NULL)
    server->setInfo(server->setInfoContext, index, value);
}

/* The game's description takes the frag limit's place: these servers report
 * none, and it tells the games behind one address apart. */
static int32_t DeliverInfo(A2sServer* server, const uint8_t* reply, size_t size) {
  A2sInfo info;
  char players[8];
  char maxPlayers[8];
  if (!A2sReadInfo(reply, size, &info))
    return SKARVEL_PARSE_NOT_OURS;
  server->gaveInfo = 1;
  server->goldSrc = (uint8_t)info.goldSrc;
  snprintf(players, sizeof players, "%u", info.players);
  snprintf(maxPlayers, sizeof maxPlayers, "%u", info.maxPlayers);
  SetInfo(server, SKARVEL_INFO_NAME, info.name);
  SetInfo(server, SKARVEL_INFO_MAP, info.map);
  SetInfo(server, SKARVEL_INFO_FRAG_LIMIT, info.game);
  SetInfo(server, SKARVEL_INFO_PLAYERS, players);
  SetInfo(server, SKARVEL_INFO_MAX_PLAYERS, maxPlayers);
  return SKARVEL_PARSE_COMPLETE;
}

/* Players still connecting have no name yet; they are counted, not listed. */
static int AddPlayers(A2sServer* server, const uint8_t* reply, size_t size) {
  A2sPlayerWalk walk;
  A2sPlayer player;
  /* A name is shorter than the reply; the score takes at most 12 bytes. */
  char* entry = (char*)malloc(size + 16);
  if (entry == NULL)
    return 0;
  A2sStartPlayers(&walk, reply, size);
  while (A2sNextPlayer(&walk, &player)) {
    const size_t nameSize = strlen(player.name) + 1;
    if (nameSize == 1 || server->addPlayer == NULL)
      continue;
    memcpy(entry, player.name, nameSize);
    snprintf(entry + nameSize, 16, "%ld", (long)player.score);
    server->addPlayer(server->addPlayerContext, 2, entry);
  }
  free(entry);
  return 1;
}

/* The list goes to the host once a poll: a player request asked again is
 * answered with the same players. */
static int32_t DeliverPlayers(A2sServer* server, const uint8_t* reply, size_t size) {
  if (A2sCountPlayers(reply, size) < 0)
    return SKARVEL_PARSE_NOT_OURS;
  if (!server->playersDelivered) {
    if (!AddPlayers(server, reply, size))
      return SKARVEL_PARSE_NOT_OURS;
    server->playersDelivered = 1;
  }
  return SKARVEL_PARSE_COMPLETE;
}

/* A whole reply, of the kind the step asked for. */
static int32_t ParseReply(A2sServer* server, int32_t step, const uint8_t* reply, size_t size) {
  switch (A2sReplyType(reply, size)) {
  case A2S_REPLY_CHALLENGE:
    return TakeChallenge(server, step, reply, size);
  case A2S_REPLY_INFO:
  case A2S_REPLY_GOLDSRC_INFO:
    return IsInfoStep(step) ? DeliverInfo(server, reply, size) : SKARVEL_PARSE_NOT_OURS;
  case A2S_REPLY_PLAYERS:
    return IsInfoStep(step) ? SKARVEL_PARSE_NOT_OURS : DeliverPlayers(server, reply, size);
  default:
    return SKARVEL_PARSE_NOT_OURS;
  }
}

static int32_t ParsePart(A2sServer* server, int32_t step, const uint8_t* datagram, size_t size) {
  const uint8_t* reply = NULL;
  size_t replySize = 0;
  switch (A2sSplitAdd(&server->split, step, server->goldSrc, datagram, size, &reply, &replySize)) {
  case A2S_SPLIT_STORED:
    return SKARVEL_PARSE_PARTIAL;
  case A2S_SPLIT_JOINED:
    return ParseReply(server, step, reply, replySize);
  default:
    return SKARVEL_PARSE_NOT_OURS;
  }
}

/* Every reply it takes lists the server: its challenges and the parts of a
 * split reply live in this object, which a server kept waiting would lose. */
static int32_t SKARVEL_STDCALL Parse(IGameServer* self, int32_t step, const void* data,
                                     int32_t size, int32_t queryContext, intptr_t* challenge,
                                     SKARVEL_BOOL* listed) {
  A2sServer* server = (A2sServer*)self;
  const uint8_t* bytes = (const uint8_t*)data;
  const size_t length = data != NULL && size > 0 ? (size_t)size : 0;
  int32_t result = SKARVEL_PARSE_NOT_OURS;
  (void)queryContext; /* replies tell their kind by themselves */
  if (challenge != NULL)
    *challenge = 0;
  if (listed != NULL)
    *listed = 0;
  if (step >= A2S_STEP_INFO && step < A2S_STEP_COUNT && length > 0)
    result = A2sIsSplitPart(bytes, length) ? ParsePart(server, step, bytes, length)
                                           : ParseReply(server, step, bytes, length);
  if (result == SKARVEL_PARSE_NOT_OURS)
    return result;
  if (challenge != NULL)
    *challenge = (intptr_t)(uintptr_t)&server->challenges;
  if (listed != NULL)
    *listed = 1;
  return result;
}

static const IGameServerVtbl kServerVtbl = {QueryInterface, AddRef, Release, Reset, Parse};

void A2sCreateServer(IGameServer** server, TSetInfo setInfo, void* setInfoContext,
                     TAddPlayer addPlayer, void* addPlayerContext) {
  A2sServer* created;
  if (server == NULL)
    return;
  created = (A2sServer*)calloc(1, sizeof *created);
  if (created != NULL) {
    created->iface.lpVtbl = &kServerVtbl;
    created->refs = 1;
    created->setInfo = setInfo;
    created->setInfoContext = setInfoContext;
    created->addPlayer = addPlayer;
    created->addPlayerContext = addPlayerContext;
  }
  *server = created != NULL ? &created->iface : NULL;
}
