/* A bounded reader over one reply: every field is taken through it, so no
 * parser can read past the end of what the server sent. */
#ifndef A2S_READER_H
#define A2S_READER_H

#include <stddef.h>
#include <stdint.h>

typedef struct A2sReader {
  const uint8_t* data;
  size_t size;
  size_t at;
  int ok; /* cleared by the first read past the end; every later read fails too */
} A2sReader;

void A2sReaderInit(A2sReader* reader, const uint8_t* data, size_t size);
uint8_t A2sTakeByte(A2sReader* reader);
uint16_t A2sTakeUint16(A2sReader* reader); /* little-endian */
int32_t A2sTakeInt32(A2sReader* reader);   /* little-endian, two's complement */
/* The text up to the next NUL, which lies inside the data; "" when there is none. */
const char* A2sTakeText(A2sReader* reader);
void A2sSkip(A2sReader* reader, size_t count);

#endif
