#define _POSIX_C_SOURCE 200809L

#include "plugins/history/history_text.h"

#include <time.h>

int HistoryParseInt32(const char* text, int32_t* value) {
  const char* digit = text;
  int64_t magnitude = 0;
  const int negative = *digit == '-';
  if (negative)
    ++digit;
  if (*digit == '\0')
    return 0;
  for (; *digit != '\0'; ++digit) {
    if (*digit < '0' || *digit > '9')
      return 0;
    magnitude = magnitude * 10 + (*digit - '0');
    if (magnitude > (int64_t)INT32_MAX + 1)
      return 0;
  }
  if (!negative && magnitude > INT32_MAX)
    return 0;
  *value = (int32_t)(negative ? -magnitude : magnitude);
  return 1;
}

static int IsContinuationByte(char byte) {
  return ((unsigned char)byte & 0xC0u) == 0x80u;
}

size_t HistoryCappedLength(const char* text, size_t max) {
  size_t length = 0;
  size_t backedOff = 0;
  while (length < max && text[length] != '\0')
    ++length;
  if (text[length] == '\0')
    return length;
  /* A UTF-8 sequence is at most four bytes long; text that is not UTF-8 is
   * cut where it is. */
  while (length > 0 && backedOff < 3 && IsContinuationByte(text[length])) {
    --length;
    ++backedOff;
  }
  if (IsContinuationByte(text[length]))
    length += backedOff;
  return length;
}

void HistoryUtcNow(char out[HISTORY_TIME_SIZE]) {
  const time_t now = time(NULL);
  struct tm utc;
  if (gmtime_r(&now, &utc) == NULL ||
      strftime(out, HISTORY_TIME_SIZE, "%Y-%m-%dT%H:%M:%SZ", &utc) == 0)
    out[0] = '\0';
}

int64_t HistoryMonotonicSeconds(void) {
  struct timespec now;
  if (clock_gettime(CLOCK_MONOTONIC, &now) != 0)
    return (int64_t)time(NULL);
  return (int64_t)now.tv_sec;
}
