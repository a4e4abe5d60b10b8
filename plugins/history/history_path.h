/* Where the history plug-in keeps its database. */
#ifndef SKARVEL_HISTORY_PATH_H
#define SKARVEL_HISTORY_PATH_H

/* The database file name used when the settings name none. */
#define HISTORY_DEFAULT_DATABASE "history.db"

/* The database path for the setting's value: an absolute value as it is, a
 * relative one (an empty one stands for HISTORY_DEFAULT_DATABASE) inside the
 * folder of the library that holds address, which is the program folder the
 * host loads plug-ins from. A new text for free(); NULL when out of memory. */
char* HistoryDatabasePath(const char* setting, const void* address);

#endif
