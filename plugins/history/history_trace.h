/* The history plug-in's trace: one line on standard error per distinct
 * failure, so that a failure repeated at every poll does not flood it. */
#ifndef SKARVEL_HISTORY_TRACE_H
#define SKARVEL_HISTORY_TRACE_H

#if defined(__GNUC__)
#define HISTORY_PRINTF_FORMAT __attribute__((format(printf, 1, 2)))
#else
#define HISTORY_PRINTF_FORMAT
#endif

/* Writes "history: " and the message, unless the same message was written
 * since the last HistoryTraceForget. Control characters show as "?". */
void HistoryTrace(const char* format, ...) HISTORY_PRINTF_FORMAT;

/* Forgets the messages written, so that each shows once again. */
void HistoryTraceForget(void);

#endif
