#include "a2s_split.h"

#include <string.h>

#include "a2s_reader.h"

enum { kSplitHeaderSize = 4 };
/* A Source reply id with this bit set announces a compressed reply. */
#define COMPRESSED_ID 0x80000000u

typedef struct PartHeader {
  uint32_t id;
  unsigned number;
  unsigned total;
  unsigned size; /* Source: the most a part of the reply may carry; GoldSrc: 0 */
  const uint8_t* payload;
  size_t payloadSize;
} PartHeader;

int A2sIsSplitPart(const uint8_t* datagram, size_t size) {
  static const uint8_t kHeader[kSplitHeaderSize] = {0xFE, 0xFF, 0xFF, 0xFF};
  return datagram != NULL && size >= kSplitHeaderSize &&
         memcmp(datagram, kHeader, kSplitHeaderSize) == 0;
}

/* Source: id, total, number, size. GoldSrc: id, then the number in the high
 * and the total in the low four bits of one byte. */
static int ReadPartHeader(const uint8_t* datagram, size_t size, int goldSrc, PartHeader* part) {
  A2sReader reader;
  A2sReaderInit(&reader, datagram, size);
  A2sSkip(&reader, kSplitHeaderSize);
  part->id = (uint32_t)A2sTakeInt32(&reader);
  if (goldSrc) {
    const uint8_t packed = A2sTakeByte(&reader);
    part->number = packed >> 4;
    part->total = packed & 0x0Fu;
    part->size = 0;
  } else {
    part->total = A2sTakeByte(&reader);
    part->number = A2sTakeByte(&reader);
    part->size = A2sTakeUint16(&reader);
  }
  if (!reader.ok || reader.at == size)
    return 0;
  part->payload = datagram + reader.at;
  part->payloadSize = size - reader.at;
  if (part->total == 0 || part->total > A2S_MAX_PARTS || part->number >= part->total)
    return 0;
  if (!goldSrc && ((part->id & COMPRESSED_ID) || part->payloadSize > part->size))
    return 0;
  return 1;
}

void A2sSplitReset(A2sSplit* split) {
  split->active = 0;
  split->joinedBefore = 0;
}

static void Join(A2sSplit* split, const uint8_t** reply, size_t* replySize) {
  size_t at = 0;
  unsigned number;
  for (number = 0; number < split->total; ++number) {
    memcpy(split->joined + at, split->parts + split->offset[number], split->length[number]);
    at += split->length[number];
  }
  split->active = 0;
  split->joinedBefore = 1;
  split->joinedId = split->id;
  *reply = split->joined;
  *replySize = at;
}

A2sSplitResult A2sSplitAdd(A2sSplit* split, int32_t step, int goldSrc, const uint8_t* datagram,
                           size_t size, const uint8_t** reply, size_t* replySize) {
  PartHeader part;
  int fresh;
  size_t used;
  if (!A2sIsSplitPart(datagram, size) || !ReadPartHeader(datagram, size, goldSrc, &part))
    return A2S_SPLIT_REFUSED;
  if (split->joinedBefore && part.id == split->joinedId)
    return A2S_SPLIT_REFUSED; /* a part of the reply just put together, sent twice */
  fresh = !split->active || (part.id != split->id && step != split->step);
  if (!fresh) {
    if (part.id != split->id || part.total != split->total || part.size != split->partSize ||
        (split->received & 1u << part.number))
      return A2S_SPLIT_REFUSED;
  }
  used = fresh ? 0 : split->used;
  if (part.payloadSize > A2S_MAX_REPLY - used)
    return A2S_SPLIT_REFUSED;
  if (fresh) {
    split->active = 1;
    split->step = step;
    split->id = part.id;
    split->total = part.total;
    split->partSize = part.size;
    split->received = 0;
  }
  memcpy(split->parts + used, part.payload, part.payloadSize);
  split->offset[part.number] = (uint16_t)used;
  split->length[part.number] = (uint16_t)part.payloadSize;
  split->used = used + part.payloadSize;
  split->received |= 1u << part.number;
  if (split->received != (1u << split->total) - 1u)
    return A2S_SPLIT_STORED;
  Join(split, reply, replySize);
  return A2S_SPLIT_JOINED;
}
