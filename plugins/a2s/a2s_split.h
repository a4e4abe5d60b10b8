/* Reassembly of replies that come split into several datagrams. */
#ifndef A2S_SPLIT_H
#define A2S_SPLIT_H

#include <stddef.h>
#include <stdint.h>

/* Bounds of one reassembled reply; a server's longest lists fit well. */
#define A2S_MAX_PARTS 16
#define A2S_MAX_REPLY 16384

typedef struct A2sSplit {
  uint8_t active; /* parts of one reply are being collected */
  int32_t step;   /* the query step its first part came in */
  uint32_t id;
  unsigned total;
  unsigned partSize; /* Source parts all announce the same size */
  uint32_t received; /* one bit per part number */
  uint16_t offset[A2S_MAX_PARTS];
  uint16_t length[A2S_MAX_PARTS];
  size_t used;
  uint8_t joinedBefore; /* joinedId is the reply last put together */
  uint32_t joinedId;
  uint8_t parts[A2S_MAX_REPLY]; /* in the order they came */
  uint8_t joined[A2S_MAX_REPLY];
} A2sSplit;

typedef enum A2sSplitResult {
  A2S_SPLIT_REFUSED, /* not a part, or not one that fits the reply being collected */
  A2S_SPLIT_STORED,  /* kept; parts are missing */
  A2S_SPLIT_JOINED   /* the last part: the reply is whole */
} A2sSplitResult;

/* Whether a datagram is a part of a split reply (it begins FE FF FF FF). */
int A2sIsSplitPart(const uint8_t* datagram, size_t size);
void A2sSplitReset(A2sSplit* split);
/* Takes one part that came in `step`. A part of another reply in a later step
 * starts that reply afresh; in the same step it is refused. GoldSrc servers
 * number their parts in one byte and announce no size. On A2S_SPLIT_JOINED
 * the whole reply is at *reply (valid until the next call). */
A2sSplitResult A2sSplitAdd(A2sSplit* split, int32_t step, int goldSrc, const uint8_t* datagram,
                           size_t size, const uint8_t** reply, size_t* replySize);

#endif
