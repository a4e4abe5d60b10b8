/* The history database: one row per server per committed poll and one per
 * player of it, each poll written in a transaction of its own. */
#ifndef SKARVEL_HISTORY_STORE_H
#define SKARVEL_HISTORY_STORE_H

#include <stddef.h>
#include <stdint.h>

/* A text to store: Length bytes at Text (not NUL-terminated where cut);
 * Text NULL stores NULL. */
typedef struct HistoryText {
  const char* Text;
  size_t Length;
} HistoryText;

/* A number to store; Known 0 stores NULL. */
typedef struct HistoryNumber {
  int Known;
  int32_t Value;
} HistoryNumber;

/* One committed poll of one server. Players holds PlayerCount names, each
 * followed by NUL; Frags their frags, or NULL to store none. */
typedef struct HistoryPoll {
  const char* Time;
  HistoryText Address;
  HistoryText Game;
  HistoryText Title;
  HistoryText Name;
  HistoryText Map;
  HistoryNumber Players;
  HistoryNumber MaxPlayers;
  int32_t PlayerCount;
  const char* PlayerNames;
  const int32_t* Frags;
} HistoryPoll;

typedef struct HistoryStore HistoryStore;

/* Opens the database at path, creating the file and its tables when missing.
 * Gives an SQLite result code; on success *store is set, otherwise error
 * holds the reason. */
int HistoryStoreOpen(const char* path, HistoryStore** store, char* error, size_t errorSize);

/* Writes one poll, or nothing when it fails (then error holds the reason).
 * Gives an SQLite result code. A database locked by another writer fails
 * with SQLITE_BUSY after a few milliseconds. */
int HistoryStoreWrite(HistoryStore* store, const HistoryPoll* poll, char* error, size_t errorSize);

void HistoryStoreClose(HistoryStore* store);

#endif
