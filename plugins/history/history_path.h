/* Where the history plug-in keeps its database. */
#ifndef SKARVEL_HISTORY_PATH_H
#define SKARVEL_HISTORY_PATH_H

/* The database file name used when the settings name none. */
#define HISTORY_DEFAULT_DATABASE "history.db"

/* The database path for the setting's value: an absolute value as it is, a
 * relative one (an empty one stands for HISTORY_DEFAULT_DATABASE) inside the
 * working folder, which the host makes its program folder before it loads
 * plug-ins. Not the library's own folder: an installed plug-in lies in a
 * system folder, shared by every user. A new text for free(); NULL when out
 * of memory or when there is no working folder. */
char* HistoryDatabasePath(const char* setting);

#endif
