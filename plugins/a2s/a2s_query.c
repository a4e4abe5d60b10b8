#include "a2s_query.h"

#include <string.h>

#include "a2s_steps.h"

/* The longest request: the info request and a challenge. */
enum { kMaxRequest = 32, kChallengeSize = 4 };

/* Both requests as the wire has them; the info request ends with its NUL. */
static const uint8_t kInfoRequest[] = "\xFF\xFF\xFF\xFF"
                                      "TSource Engine Query";
static const uint8_t kPlayerRequest[] = "\xFF\xFF\xFF\xFF"
                                        "U";
/* The challenge a request carries to ask for one. */
static const uint8_t kNoChallenge[kChallengeSize] = {0xFF, 0xFF, 0xFF, 0xFF};

typedef struct A2sQuery {
  IGameQuery iface; /* first: the host's pointer is the object's */
  uint32_t refs;
} A2sQuery;

static int32_t SKARVEL_STDCALL QueryInterface(IGameQuery* self, const void* iid, void** object) {
  (void)self;
  (void)iid;
  if (object != NULL)
    *object = NULL;
  return A2S_NO_INTERFACE;
}

static uint32_t SKARVEL_STDCALL AddRef(IGameQuery* self) {
  return ++((A2sQuery*)self)->refs;
}

static uint32_t SKARVEL_STDCALL Release(IGameQuery* self) {
  A2sQuery* query = (A2sQuery*)self;
  const uint32_t refs = --query->refs;
  if (refs == 0)
    free(query);
  return refs;
}

static int32_t SKARVEL_STDCALL GetPacketCount(IGameQuery* self) {
  (void)self;
  return A2S_STEP_COUNT;
}

static SKARVEL_BOOL SKARVEL_STDCALL IsPerServer(IGameQuery* self, int32_t step) {
  (void)self;
  return step > A2S_STEP_INFO && step < A2S_STEP_COUNT;
}

/* request, then the challenge when there is one. */
static size_t Compose(uint8_t* packet, const uint8_t* request, size_t size,
                      const uint8_t* challenge) {
  memcpy(packet, request, size);
  if (challenge == NULL)
    return size;
  memcpy(packet + size, challenge, kChallengeSize);
  return size + kChallengeSize;
}

/* A step whose challenge the server did not ask for sends the request as it
 * was before: an info request plain, a player request asking again. The
 * server answers it like the first, which the parser takes for what it is. */
static size_t ComposeStep(uint8_t* packet, int32_t step, const A2sChallenges* known) {
  switch (step) {
  case A2S_STEP_INFO:
    return Compose(packet, kInfoRequest, sizeof kInfoRequest, NULL);
  case A2S_STEP_INFO_CHALLENGED:
    return Compose(packet, kInfoRequest, sizeof kInfoRequest,
                   known != NULL && known->hasInfo ? known->info : NULL);
  case A2S_STEP_PLAYER_CHALLENGE:
    return Compose(packet, kPlayerRequest, sizeof kPlayerRequest - 1, kNoChallenge);
  case A2S_STEP_PLAYERS:
    return Compose(packet, kPlayerRequest, sizeof kPlayerRequest - 1,
                   known != NULL && known->hasPlayer ? known->player : kNoChallenge);
  default:
    return 0;
  }
}

static void SKARVEL_STDCALL BuildPacket(IGameQuery* self, int32_t step, intptr_t challenge,
                                        HLOCAL* data, int32_t* queryContext) {
  uint8_t packet[kMaxRequest];
  size_t size;
  HLOCAL block;
  /* The address's step has no server and gets no challenge value. */
  const A2sChallenges* known =
      step != A2S_STEP_INFO ? (const A2sChallenges*)(uintptr_t)challenge : NULL;
  (void)self;
  (void)queryContext; /* replies tell their kind by themselves */
  if (data == NULL)
    return;
  *data = NULL;
  size = ComposeStep(packet, step, known);
  if (size == 0)
    return;
  block = LocalAlloc(LHND, size);
  if (block == NULL)
    return;
  memcpy(LocalLock(block), packet, size);
  LocalUnlock(block);
  *data = block;
}

static const IGameQueryVtbl kQueryVtbl = {QueryInterface, AddRef,      Release,
                                          GetPacketCount, IsPerServer, BuildPacket};

void A2sCreateQuery(IGameQuery** query) {
  A2sQuery* created;
  if (query == NULL)
    return;
  created = (A2sQuery*)calloc(1, sizeof *created);
  if (created != NULL) {
    created->iface.lpVtbl = &kQueryVtbl;
    created->refs = 1;
  }
  *query = created != NULL ? &created->iface : NULL;
}
