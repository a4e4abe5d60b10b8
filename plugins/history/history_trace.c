#include "plugins/history/history_trace.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#define MAX_MESSAGE_BYTES 512
/* Distinct failures are few (cannot open, busy, disk full, ...); past this
 * many a new one is no longer written. */
#define MAX_MESSAGES 16

static char written[MAX_MESSAGES][MAX_MESSAGE_BYTES];
static int writtenCount;

static int WasWritten(const char* message) {
  int i;
  for (i = 0; i < writtenCount; ++i)
    if (strcmp(written[i], message) == 0)
      return 1;
  return 0;
}

void HistoryTrace(const char* format, ...) {
  char message[MAX_MESSAGE_BYTES];
  size_t i;
  va_list arguments;
  va_start(arguments, format);
  vsnprintf(message, sizeof message, format, arguments);
  va_end(arguments);

  /* Paths and SQLite's messages may carry anything; the trace stays one line. */
  for (i = 0; message[i] != '\0'; ++i)
    if ((unsigned char)message[i] < 0x20u || message[i] == 0x7F)
      message[i] = '?';

  if (WasWritten(message) || writtenCount == MAX_MESSAGES)
    return;
  memcpy(written[writtenCount++], message, sizeof message);
  fprintf(stderr, "history: %s\n", message);
}

void HistoryTraceForget(void) {
  writtenCount = 0;
}
