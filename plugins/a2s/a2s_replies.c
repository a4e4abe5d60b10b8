#include "a2s_replies.h"

#include <string.h>

/* The reply header: four 0xFF bytes, then the type. */
enum { kHeaderSize = 4, kTypeSize = 1, kChallengeSize = 4 };

/* Flags of the extra data that may follow a Source info reply. */
enum {
  kExtraGamePort = 0x80,
  kExtraSteamId = 0x10,
  kExtraTvServer = 0x40,
  kExtraKeywords = 0x20,
  kExtraGameId = 0x01
};

/* The Ship reports three more bytes of game mode in its info reply. */
enum { kTheShipAppId = 2400 };
/* The GoldSrc games' application ids (Counter-Strike is 10, Half-Life 70);
 * Source games start at 215. */
enum { kFirstSourceAppId = 200 };

int A2sReplyType(const uint8_t* reply, size_t size) {
  static const uint8_t kHeader[kHeaderSize] = {0xFF, 0xFF, 0xFF, 0xFF};
  if (reply == NULL || size < kHeaderSize + kTypeSize || memcmp(reply, kHeader, kHeaderSize) != 0)
    return 0;
  return reply[kHeaderSize];
}

const uint8_t* A2sReadChallenge(const uint8_t* reply, size_t size) {
  if (A2sReplyType(reply, size) != A2S_REPLY_CHALLENGE ||
      size < kHeaderSize + kTypeSize + kChallengeSize)
    return NULL;
  return reply + kHeaderSize + kTypeSize;
}

/* Longest count taken from the keywords: a million. */
enum { kMaxCountDigits = 7 };

/* The number after `prefix` when the keyword is the prefix and 1 to 7
 * digits, else -1. The keyword ends at a comma or at the end. */
static long KeywordNumber(const char* keyword, size_t length, const char* prefix) {
  const size_t prefixLength = strlen(prefix);
  long value = 0;
  size_t i;
  if (length <= prefixLength || length - prefixLength > kMaxCountDigits ||
      strncmp(keyword, prefix, prefixLength) != 0)
    return -1;
  for (i = prefixLength; i < length; ++i) {
    if (keyword[i] < '0' || keyword[i] > '9')
      return -1;
    value = value * 10 + (keyword[i] - '0');
  }
  return value;
}

/* The count bytes wrap on servers of more than 255 slots (Rust), which give
 * the counts in their keywords as well: "cp<players>" and "mp<maximum>".
 * Taken only as a pair, so that a lone tag of another meaning changes nothing. */
static void ReadKeywordCounts(const char* keywords, A2sInfo* info) {
  long players = -1;
  long maxPlayers = -1;
  while (*keywords != '\0') {
    const char* comma = strchr(keywords, ',');
    const size_t length = comma ? (size_t)(comma - keywords) : strlen(keywords);
    const long player = KeywordNumber(keywords, length, "cp");
    const long slots = KeywordNumber(keywords, length, "mp");
    if (player >= 0)
      players = player;
    if (slots >= 0)
      maxPlayers = slots;
    keywords += length + (comma ? 1 : 0);
  }
  if (players >= 0 && maxPlayers >= 0) {
    info->players = (unsigned)players;
    info->maxPlayers = (unsigned)maxPlayers;
  }
}

static void ReadSourceExtraData(A2sReader* reader, A2sInfo* info) {
  uint8_t flags;
  if (reader->at == reader->size)
    return; /* servers of older builds send none */
  flags = A2sTakeByte(reader);
  if (flags & kExtraGamePort)
    A2sSkip(reader, 2);
  if (flags & kExtraSteamId)
    A2sSkip(reader, 8);
  if (flags & kExtraTvServer) {
    A2sSkip(reader, 2);
    A2sTakeText(reader);
  }
  if (flags & kExtraKeywords)
    ReadKeywordCounts(A2sTakeText(reader), info);
  if (flags & kExtraGameId)
    A2sSkip(reader, 8);
}

static void ReadSourceInfo(A2sReader* reader, A2sInfo* info) {
  uint16_t appId;
  A2sSkip(reader, 1); /* protocol version */
  info->name = A2sTakeText(reader);
  info->map = A2sTakeText(reader);
  A2sTakeText(reader); /* game folder */
  info->game = A2sTakeText(reader);
  appId = A2sTakeUint16(reader);
  info->players = A2sTakeByte(reader);
  info->maxPlayers = A2sTakeByte(reader);
  A2sSkip(reader, 5); /* bots, server type, environment, visibility, VAC */
  if (appId == kTheShipAppId)
    A2sSkip(reader, 3);
  A2sTakeText(reader); /* game version */
  ReadSourceExtraData(reader, info);
  info->goldSrc = appId != 0 && appId < kFirstSourceAppId;
}

static void ReadGoldSrcInfo(A2sReader* reader, A2sInfo* info) {
  A2sTakeText(reader); /* the server's own address */
  info->name = A2sTakeText(reader);
  info->map = A2sTakeText(reader);
  A2sTakeText(reader); /* game folder */
  info->game = A2sTakeText(reader);
  info->players = A2sTakeByte(reader);
  info->maxPlayers = A2sTakeByte(reader);
  A2sSkip(reader, 4); /* protocol, server type, environment, visibility */
  if (A2sTakeByte(reader) == 1) {
    /* A mod: its web page, download page, a NUL, version, size, type, DLL. */
    A2sTakeText(reader);
    A2sTakeText(reader);
    A2sSkip(reader, 1 + 4 + 4 + 1 + 1);
  }
  A2sSkip(reader, 2); /* VAC, bots */
  info->goldSrc = 1;
}

int A2sReadInfo(const uint8_t* reply, size_t size, A2sInfo* info) {
  A2sReader reader;
  const int type = A2sReplyType(reply, size);
  if (type != A2S_REPLY_INFO && type != A2S_REPLY_GOLDSRC_INFO)
    return 0;
  A2sReaderInit(&reader, reply, size);
  A2sSkip(&reader, kHeaderSize + kTypeSize);
  if (type == A2S_REPLY_INFO)
    ReadSourceInfo(&reader, info);
  else
    ReadGoldSrcInfo(&reader, info);
  return reader.ok;
}

void A2sStartPlayers(A2sPlayerWalk* walk, const uint8_t* reply, size_t size) {
  A2sReaderInit(&walk->reader, reply, size);
  walk->left = 0;
  if (A2sReplyType(reply, size) != A2S_REPLY_PLAYERS) {
    walk->reader.ok = 0;
    return;
  }
  A2sSkip(&walk->reader, kHeaderSize + kTypeSize);
  walk->left = A2sTakeByte(&walk->reader);
}

int A2sNextPlayer(A2sPlayerWalk* walk, A2sPlayer* player) {
  if (walk->left == 0 || !walk->reader.ok)
    return 0;
  --walk->left;
  A2sSkip(&walk->reader, 1); /* index */
  player->name = A2sTakeText(&walk->reader);
  player->score = A2sTakeInt32(&walk->reader);
  A2sSkip(&walk->reader, 4); /* time on the server */
  return walk->reader.ok;
}

int A2sCountPlayers(const uint8_t* reply, size_t size) {
  A2sPlayerWalk walk;
  A2sPlayer player;
  int count = 0;
  A2sStartPlayers(&walk, reply, size);
  while (A2sNextPlayer(&walk, &player))
    ++count;
  return walk.reader.ok ? count : -1;
}
