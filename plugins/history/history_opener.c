#include "plugins/history/history_opener.h"

#include <sqlite3.h>
#include <stddef.h>

#include "plugins/history/history_trace.h"

HistoryStore* HistoryOpenedStore(HistoryOpener* opener, int64_t now) {
  char error[256];
  int result;
  if (opener->Store != NULL)
    return opener->Store;
  if (opener->Waiting && now < opener->RetryAt)
    return NULL;
  result = HistoryStoreOpen(opener->Path, &opener->Store, error, sizeof error);
  opener->Waiting = 0;
  if (result == SQLITE_OK)
    return opener->Store;
  /* Another program writing the database is over soon. */
  if (result == SQLITE_BUSY || result == SQLITE_LOCKED) {
    HistoryTrace("%s is busy; trying again at the next poll", opener->Path);
    return NULL;
  }
  opener->Waiting = 1;
  opener->RetryAt = now + HISTORY_RETRY_SECONDS;
  HistoryTrace("cannot use %s (%s); trying again every minute", opener->Path, error);
  return NULL;
}

void HistoryOpenerClose(HistoryOpener* opener) {
  HistoryStoreClose(opener->Store);
  opener->Store = NULL;
  opener->Waiting = 0;
  opener->RetryAt = 0;
}
