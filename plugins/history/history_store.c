#include "plugins/history/history_store.h"

#include <sqlite3.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "plugins/history/history_text.h"

/* The poll waits no longer than this for another writer of the database;
 * past it the poll is not stored. */
#define BUSY_TIMEOUT_MS 10

/* The schema's version, kept in the file's user_version. Version 0, the
 * first plug-ins' files, lacks poll_players_by_poll. */
#define SCHEMA_VERSION 1
#define QUOTED(text) #text
#define DECIMAL(number) QUOTED(number)

/* The indexes serve the README's queries and the History window: a server's
 * polls by time, a player's polls, newest last, and the players of a poll. */
static const char kSchema[] =
    "CREATE TABLE IF NOT EXISTS polls("
    "id INTEGER PRIMARY KEY, time TEXT NOT NULL, address TEXT, game TEXT, title TEXT,"
    " name TEXT, map TEXT, players INTEGER, max_players INTEGER);"
    "CREATE TABLE IF NOT EXISTS poll_players("
    "poll_id INTEGER NOT NULL REFERENCES polls(id), name TEXT, frags INTEGER);"
    "CREATE INDEX IF NOT EXISTS polls_by_server ON polls(game, address, time);"
    "CREATE INDEX IF NOT EXISTS poll_players_by_name ON poll_players(name, poll_id);"
    "CREATE INDEX IF NOT EXISTS poll_players_by_poll ON poll_players(poll_id);";

struct HistoryStore {
  sqlite3* Database;
  sqlite3_stmt* Begin;
  sqlite3_stmt* Commit;
  sqlite3_stmt* Rollback;
  sqlite3_stmt* InsertPoll;
  sqlite3_stmt* InsertPlayer;
};

static int Failed(sqlite3* database, int result, char* error, size_t errorSize) {
  snprintf(error, errorSize, "%s", database ? sqlite3_errmsg(database) : sqlite3_errstr(result));
  return result;
}

static int Prepare(sqlite3* database, const char* sql, sqlite3_stmt** statement) {
  return sqlite3_prepare_v3(database, sql, -1, SQLITE_PREPARE_PERSISTENT, statement, NULL);
}

static int PrepareAll(HistoryStore* store) {
  sqlite3* database = store->Database;
  int result = Prepare(database, "BEGIN IMMEDIATE", &store->Begin);
  if (result == SQLITE_OK)
    result = Prepare(database, "COMMIT", &store->Commit);
  if (result == SQLITE_OK)
    result = Prepare(database, "ROLLBACK", &store->Rollback);
  if (result == SQLITE_OK)
    result = Prepare(database,
                     "INSERT INTO polls(time, address, game, title, name, map, players,"
                     " max_players) VALUES(?, ?, ?, ?, ?, ?, ?, ?)",
                     &store->InsertPoll);
  if (result == SQLITE_OK)
    result = Prepare(database, "INSERT INTO poll_players(poll_id, name, frags) VALUES(?, ?, ?)",
                     &store->InsertPlayer);
  return result;
}

static int UserVersion(sqlite3* database, int* version) {
  sqlite3_stmt* statement = NULL;
  int result = sqlite3_prepare_v2(database, "PRAGMA user_version", -1, &statement, NULL);
  if (result == SQLITE_OK) {
    result = sqlite3_step(statement);
    *version = sqlite3_column_int(statement, 0);
    result = result == SQLITE_ROW ? SQLITE_OK : result;
  }
  sqlite3_finalize(statement);
  return result;
}

/* Makes the tables and indexes this version lacks, in one write transaction,
 * so that another plug-in opening the file meanwhile waits (or gives up as
 * busy and tries again) and then finds it current. Readers go on reading the
 * file as it was. A file of a later version is left as it is. A current file
 * is only read: its open takes no write lock. */
static int Upgrade(sqlite3* database) {
  int version = 0;
  int result = UserVersion(database, &version);
  if (result != SQLITE_OK || version >= SCHEMA_VERSION)
    return result;
  result = sqlite3_exec(database, "BEGIN IMMEDIATE", NULL, NULL, NULL);
  if (result == SQLITE_OK)
    result = UserVersion(database, &version);
  if (result == SQLITE_OK && version < SCHEMA_VERSION)
    result = sqlite3_exec(database, kSchema, NULL, NULL, NULL);
  if (result == SQLITE_OK && version < SCHEMA_VERSION)
    result =
        sqlite3_exec(database, "PRAGMA user_version = " DECIMAL(SCHEMA_VERSION), NULL, NULL, NULL);
  if (result == SQLITE_OK)
    result = sqlite3_exec(database, "COMMIT", NULL, NULL, NULL);
  if (result != SQLITE_OK && !sqlite3_get_autocommit(database))
    sqlite3_exec(database, "ROLLBACK", NULL, NULL, NULL);
  return result;
}

int HistoryStoreOpen(const char* path, HistoryStore** store, char* error, size_t errorSize) {
  HistoryStore* opened = calloc(1, sizeof *opened);
  int result;
  *store = NULL;
  if (opened == NULL)
    return Failed(NULL, SQLITE_NOMEM, error, errorSize);
  result =
      sqlite3_open_v2(path, &opened->Database, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, NULL);
  if (result == SQLITE_OK)
    result = sqlite3_busy_timeout(opened->Database, BUSY_TIMEOUT_MS);
  /* A file the user cannot write opens read-only without complaint. */
  if (result == SQLITE_OK && sqlite3_db_readonly(opened->Database, "main") == 1) {
    snprintf(error, errorSize, "the file is read-only");
    HistoryStoreClose(opened);
    return SQLITE_READONLY;
  }
  /* WAL: a commit neither waits for readers nor syncs the disk each time. */
  if (result == SQLITE_OK)
    result = sqlite3_exec(opened->Database, "PRAGMA journal_mode=WAL", NULL, NULL, NULL);
  if (result == SQLITE_OK)
    result = sqlite3_exec(opened->Database, "PRAGMA synchronous=NORMAL", NULL, NULL, NULL);
  if (result == SQLITE_OK)
    result = Upgrade(opened->Database);
  if (result == SQLITE_OK)
    result = PrepareAll(opened);
  if (result != SQLITE_OK) {
    Failed(opened->Database, result, error, errorSize);
    HistoryStoreClose(opened);
    return result;
  }
  *store = opened;
  return SQLITE_OK;
}

static int Run(sqlite3_stmt* statement) {
  const int result = sqlite3_step(statement);
  sqlite3_reset(statement);
  return result == SQLITE_ROW ? SQLITE_DONE : result;
}

static void BindText(sqlite3_stmt* statement, int index, HistoryText text) {
  if (text.Text == NULL)
    sqlite3_bind_null(statement, index);
  else
    sqlite3_bind_text(statement, index, text.Text, (int)text.Length, SQLITE_STATIC);
}

static void BindNumber(sqlite3_stmt* statement, int index, HistoryNumber number) {
  if (number.Known)
    sqlite3_bind_int(statement, index, number.Value);
  else
    sqlite3_bind_null(statement, index);
}

static int InsertPoll(HistoryStore* store, const HistoryPoll* poll) {
  sqlite3_stmt* statement = store->InsertPoll;
  const HistoryText time = {poll->Time, strlen(poll->Time)};
  BindText(statement, 1, time);
  BindText(statement, 2, poll->Address);
  BindText(statement, 3, poll->Game);
  BindText(statement, 4, poll->Title);
  BindText(statement, 5, poll->Name);
  BindText(statement, 6, poll->Map);
  BindNumber(statement, 7, poll->Players);
  BindNumber(statement, 8, poll->MaxPlayers);
  return Run(statement);
}

static int InsertPlayers(HistoryStore* store, const HistoryPoll* poll) {
  sqlite3_stmt* statement = store->InsertPlayer;
  const sqlite3_int64 pollId = sqlite3_last_insert_rowid(store->Database);
  const char* name = poll->PlayerNames;
  int32_t i;
  for (i = 0; i < poll->PlayerCount; ++i) {
    const HistoryText text = {name, HistoryCappedLength(name, HISTORY_MAX_TEXT_BYTES)};
    const HistoryNumber frags = {poll->Frags != NULL, poll->Frags ? poll->Frags[i] : 0};
    int result;
    sqlite3_bind_int64(statement, 1, pollId);
    BindText(statement, 2, text);
    BindNumber(statement, 3, frags);
    result = Run(statement);
    if (result != SQLITE_DONE)
      return result;
    name += strlen(name) + 1;
  }
  return SQLITE_DONE;
}

int HistoryStoreWrite(HistoryStore* store, const HistoryPoll* poll, char* error, size_t errorSize) {
  int result = Run(store->Begin);
  if (result == SQLITE_DONE)
    result = InsertPoll(store, poll);
  if (result == SQLITE_DONE)
    result = InsertPlayers(store, poll);
  if (result == SQLITE_DONE)
    result = Run(store->Commit);
  /* The bound texts live in the host's buffers, which end with this call. */
  sqlite3_clear_bindings(store->InsertPoll);
  sqlite3_clear_bindings(store->InsertPlayer);
  if (result == SQLITE_DONE)
    return SQLITE_OK;
  Failed(store->Database, result, error, errorSize);
  if (!sqlite3_get_autocommit(store->Database))
    Run(store->Rollback);
  return result;
}

void HistoryStoreClose(HistoryStore* store) {
  if (store == NULL)
    return;
  sqlite3_finalize(store->Begin);
  sqlite3_finalize(store->Commit);
  sqlite3_finalize(store->Rollback);
  sqlite3_finalize(store->InsertPoll);
  sqlite3_finalize(store->InsertPlayer);
  sqlite3_close(store->Database);
  free(store);
}
