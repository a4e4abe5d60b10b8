#define _POSIX_C_SOURCE 200809L /* strdup */

#include "plugins/history/history_path.h"

#include <stdlib.h>
#include <string.h>
#include <unistd.h>

/* The three texts joined, as a new text for free(). */
static char* Join(const char* first, const char* second, const char* third) {
  const size_t firstLength = strlen(first);
  const size_t secondLength = strlen(second);
  const size_t thirdLength = strlen(third);
  char* joined = malloc(firstLength + secondLength + thirdLength + 1);
  if (joined == NULL)
    return NULL;
  memcpy(joined, first, firstLength);
  memcpy(joined + firstLength, second, secondLength);
  memcpy(joined + firstLength + secondLength, third, thirdLength + 1);
  return joined;
}

char* HistoryDatabasePath(const char* setting) {
  char* folder;
  char* path;
  if (setting[0] == '/')
    return strdup(setting);
  folder = getcwd(NULL, 0);
  if (folder == NULL)
    return NULL;
  path = Join(folder, strcmp(folder, "/") == 0 ? "" : "/",
              setting[0] == '\0' ? HISTORY_DEFAULT_DATABASE : setting);
  free(folder);
  return path;
}
