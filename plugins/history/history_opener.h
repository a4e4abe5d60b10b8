/* When the history database is opened: at the first poll, and after a
 * failure again at a later poll, so that a database that could not be used
 * for a while (a full disk, a folder made later, a mount that came late) is
 * used once it can be, without a restart. */
#ifndef SKARVEL_HISTORY_OPENER_H
#define SKARVEL_HISTORY_OPENER_H

#include <stdint.h>

#include "plugins/history/history_store.h"

/* A failed open is tried again no sooner than this: an unusable path costs a
 * few system calls a minute, not a few per poll. */
#define HISTORY_RETRY_SECONDS 60

typedef struct HistoryOpener {
  const char* Path;    /* the database; the caller's */
  HistoryStore* Store; /* NULL while not open */
  int Waiting;         /* a failed open waits until RetryAt */
  int64_t RetryAt;
} HistoryOpener;

/* The open store, opened first when it is not and an attempt is due; NULL
 * when it cannot be used now. now: seconds of a clock that never goes back.
 * A database busy with another writer is tried again at the next call, any
 * other failure HISTORY_RETRY_SECONDS later; each is traced. */
HistoryStore* HistoryOpenedStore(HistoryOpener* opener, int64_t now);

/* Closes the store; the next call opens it at once. */
void HistoryOpenerClose(HistoryOpener* opener);

#endif
