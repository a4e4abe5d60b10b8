/* The replies of the Source query protocol, read whole: a reply is taken only
 * when every field it announces is there. */
#ifndef A2S_REPLIES_H
#define A2S_REPLIES_H

#include <stddef.h>
#include <stdint.h>

#include "a2s_reader.h"

/* The byte after the four 0xFF bytes. */
#define A2S_REPLY_CHALLENGE 'A'
#define A2S_REPLY_INFO 'I'         /* Source engine info */
#define A2S_REPLY_GOLDSRC_INFO 'm' /* the older GoldSrc info */
#define A2S_REPLY_PLAYERS 'D'

/* The texts point into the reply and end with its NULs. */
typedef struct A2sInfo {
  const char* name;
  const char* map;
  const char* game; /* the game's description, e.g. "Team Fortress" */
  unsigned players;
  unsigned maxPlayers;
  int goldSrc; /* the server splits long replies the GoldSrc way */
} A2sInfo;

typedef struct A2sPlayer {
  const char* name;
  int32_t score;
} A2sPlayer;

/* The reply's type byte, or 0 when it does not begin with four 0xFF bytes
 * and a type. */
int A2sReplyType(const uint8_t* reply, size_t size);
/* The 4 challenge bytes of an 'A' reply, or NULL. */
const uint8_t* A2sReadChallenge(const uint8_t* reply, size_t size);
/* An 'I' or 'm' reply: non-zero when it is whole. */
int A2sReadInfo(const uint8_t* reply, size_t size, A2sInfo* info);
/* The players of a 'D' reply, one after the other. */
typedef struct A2sPlayerWalk {
  A2sReader reader;
  unsigned left;
} A2sPlayerWalk;

/* A 'D' reply: the number of players it counts, or -1 unless every one of
 * them is there. */
int A2sCountPlayers(const uint8_t* reply, size_t size);
void A2sStartPlayers(A2sPlayerWalk* walk, const uint8_t* reply, size_t size);
/* The next player; 0 after the last or at a player that is not whole. */
int A2sNextPlayer(A2sPlayerWalk* walk, A2sPlayer* player);

#endif
