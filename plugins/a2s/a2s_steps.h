/* The query steps of one poll and what they share between the parser and
 * the builder. */
#ifndef A2S_STEPS_H
#define A2S_STEPS_H

#include <stdint.h>

/* The info request goes to the address (a broadcast address reaches every
 * server behind it); the others go to each server that answered it. */
enum {
  A2S_STEP_INFO = 0,             /* info request */
  A2S_STEP_INFO_CHALLENGED = 1,  /* info request with the server's challenge */
  A2S_STEP_PLAYER_CHALLENGE = 2, /* player request that asks for a challenge */
  A2S_STEP_PLAYERS = 3,          /* player request with the server's challenge */
  A2S_STEP_COUNT = 4
};

/* What a server has asked its next requests to carry in the current poll.
 * The server's parser owns this record and reports its address as the
 * challenge value; the host hands that value back to the query builder for
 * the server's own requests, and the builder reads the record. */
typedef struct A2sChallenges {
  uint8_t info[4];   /* the answer to an info request without one */
  uint8_t player[4]; /* the answer to a player request without one */
  uint8_t hasInfo;
  uint8_t hasPlayer;
} A2sChallenges;

/* E_NOINTERFACE: neither interface has an identifier to be asked for. */
#define A2S_NO_INTERFACE ((int32_t)-2147467262)

#endif
