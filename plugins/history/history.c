/* The player history: a statistics plug-in that writes every server's
 * committed poll into an SQLite database (see README.md). It opens the
 * database at the first poll, so that a database it cannot use costs the
 * user no start-up message: each distinct failure is written once to
 * standard error, the polls are not stored, and the database is tried again
 * a minute later. */
#include <stdlib.h>
#include <string.h>

#include <sqlite3.h>

#include "games/plugin.h"
#include "plugins/history/history_opener.h"
#include "plugins/history/history_path.h"
#include "plugins/history/history_store.h"
#include "plugins/history/history_text.h"
#include "plugins/history/history_trace.h"

#define HOST_VERSION 0x02050000u

SKARVEL_EXPORT const uint16_t FileVersion[4] = {1, 0, 0, 0};

static TPluginInfo pluginInfo = {HOST_VERSION, NULL, NULL};

static struct {
  char* DatabasePath; /* NULL while not initialised */
  HistoryOpener Opener;
  unsigned long Skipped; /* polls not stored */
} history;

/* The "Database" value of the [History] section, "" when there is none. */
static char* DatabaseSetting(const THostInfo* hostInfo) {
  HLOCAL block;
  size_t length;
  char* value;
  if (hostInfo == NULL || hostInfo->ReadString == NULL)
    return calloc(1, 1);
  block = hostInfo->ReadString("History", "Database", "");
  length = LocalSize(block);
  value = malloc(length + 1);
  if (value != NULL) {
    if (length > 0)
      memcpy(value, LocalLock(block), length);
    value[length] = '\0';
    LocalUnlock(block);
  }
  LocalFree(block);
  return value;
}

static void Close(void) {
  HistoryOpenerClose(&history.Opener);
  free(history.DatabasePath);
  history.Opener.Path = NULL;
  history.DatabasePath = NULL;
  history.Skipped = 0;
  HistoryTraceForget();
}

SKARVEL_EXPORT int32_t SKARVEL_STDCALL Init(const THostInfo* hostInfo, TPluginInfo** info) {
  char* setting;
  if (info == NULL)
    return 0;
  Close();
  setting = DatabaseSetting(hostInfo);
  if (setting != NULL)
    history.DatabasePath = HistoryDatabasePath(setting);
  free(setting);
  history.Opener.Path = history.DatabasePath;
  if (history.DatabasePath == NULL)
    HistoryTrace("no working folder or out of memory; no history is kept");
  *info = &pluginInfo;
  return 1;
}

static HistoryText CappedText(const char* text) {
  HistoryText capped = {text, 0};
  if (text != NULL)
    capped.Length = HistoryCappedLength(text, HISTORY_MAX_TEXT_BYTES);
  return capped;
}

static HistoryNumber Number(const char* text) {
  HistoryNumber number = {0, 0};
  if (text != NULL)
    number.Known = HistoryParseInt32(text, &number.Value);
  return number;
}

SKARVEL_EXPORT void SKARVEL_STDCALL ServerState(const TServerStateInfo* serverInfo,
                                                int32_t infoCount, const char* info,
                                                int32_t playerCount, const char* players,
                                                const int32_t* frags) {
  const char* infos[SKARVEL_INFO_COUNT] = {NULL};
  char now[HISTORY_TIME_SIZE];
  char error[256];
  HistoryPoll poll;
  HistoryStore* store;
  int i;
  if (history.DatabasePath == NULL || serverInfo == NULL)
    return;
  store = HistoryOpenedStore(&history.Opener, HistoryMonotonicSeconds());
  if (store == NULL) {
    ++history.Skipped;
    return;
  }

  for (i = 0; info != NULL && i < infoCount && i < SKARVEL_INFO_COUNT; ++i) {
    infos[i] = info;
    info += strlen(info) + 1;
  }
  HistoryUtcNow(now);
  poll.Time = now;
  poll.Address = CappedText(serverInfo->Address);
  poll.Game = CappedText(serverInfo->GameInfo ? serverInfo->GameInfo->Key : NULL);
  poll.Title = CappedText(serverInfo->Title);
  poll.Name = CappedText(infos[SKARVEL_INFO_NAME]);
  poll.Map = CappedText(infos[SKARVEL_INFO_MAP]);
  poll.Players = Number(infos[SKARVEL_INFO_PLAYERS]);
  poll.MaxPlayers = Number(infos[SKARVEL_INFO_MAX_PLAYERS]);
  poll.PlayerCount = players != NULL && playerCount > 0 ? playerCount : 0;
  poll.PlayerNames = players;
  poll.Frags = frags;

  if (HistoryStoreWrite(store, &poll, error, sizeof error) != SQLITE_OK) {
    ++history.Skipped;
    HistoryTrace("a poll was not stored in %s (%s)", history.DatabasePath, error);
  }
}

SKARVEL_EXPORT void SKARVEL_STDCALL Detach(void) {
  if (history.Skipped > 0)
    HistoryTrace("polls not stored: %lu", history.Skipped);
  Close();
}
