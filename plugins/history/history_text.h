/* Small text helpers of the history plug-in. */
#ifndef SKARVEL_HISTORY_TEXT_H
#define SKARVEL_HISTORY_TEXT_H

#include <stddef.h>
#include <stdint.h>

/* Texts from game servers are stored cut to this many bytes. */
#define HISTORY_MAX_TEXT_BYTES 256

/* "YYYY-MM-DDTHH:MM:SSZ" and its NUL. */
#define HISTORY_TIME_SIZE 21

/* True when text is a decimal integer within 32 bits (digits, maybe a
 * leading "-", nothing else); its value goes to *value. */
int HistoryParseInt32(const char* text, int32_t* value);

/* The length of text cut to at most max bytes, backing off so that the cut
 * does not split a UTF-8 sequence. */
size_t HistoryCappedLength(const char* text, size_t max);

/* The current time in UTC, ISO 8601, into out. */
void HistoryUtcNow(char out[HISTORY_TIME_SIZE]);

/* Seconds of a clock that never goes back, for waits. */
int64_t HistoryMonotonicSeconds(void);

#endif
