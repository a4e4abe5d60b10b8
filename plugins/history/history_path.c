#define _GNU_SOURCE /* dladdr */

#include "plugins/history/history_path.h"

#include <dlfcn.h>
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

/* The folder of the library holding address, ending in "/"; "" when unknown.
 * A relative name is taken from the working folder now, while it is still
 * the one the host loaded the library from. */
static char* LibraryFolder(const void* address) {
  Dl_info library;
  char* workingFolder;
  char* folder;
  if (dladdr(address, &library) == 0 || library.dli_fname == NULL ||
      strchr(library.dli_fname, '/') == NULL)
    return strdup("");
  if (library.dli_fname[0] == '/' || (workingFolder = getcwd(NULL, 0)) == NULL) {
    folder = strdup(library.dli_fname);
  } else {
    folder = Join(workingFolder, "/", library.dli_fname);
    free(workingFolder);
  }
  if (folder != NULL)
    strrchr(folder, '/')[1] = '\0';
  return folder;
}

char* HistoryDatabasePath(const char* setting, const void* address) {
  char* folder;
  char* path;
  if (setting[0] == '/')
    return strdup(setting);
  folder = LibraryFolder(address);
  if (folder == NULL)
    return NULL;
  path = Join(folder, setting[0] == '\0' ? HISTORY_DEFAULT_DATABASE : setting, "");
  free(folder);
  return path;
}
