#include "a2s_reader.h"

#include <string.h>

void A2sReaderInit(A2sReader* reader, const uint8_t* data, size_t size) {
  reader->data = data;
  reader->size = data != NULL ? size : 0;
  reader->at = 0;
  reader->ok = 1;
}

/* Whether `count` more bytes are there; a failed check fails the reader. */
static int Have(A2sReader* reader, size_t count) {
  if (reader->ok && count <= reader->size - reader->at)
    return 1;
  reader->ok = 0;
  return 0;
}

uint8_t A2sTakeByte(A2sReader* reader) {
  if (!Have(reader, 1))
    return 0;
  return reader->data[reader->at++];
}

uint16_t A2sTakeUint16(A2sReader* reader) {
  const uint8_t* bytes;
  if (!Have(reader, 2))
    return 0;
  bytes = reader->data + reader->at;
  reader->at += 2;
  return (uint16_t)(bytes[0] | bytes[1] << 8);
}

int32_t A2sTakeInt32(A2sReader* reader) {
  const uint8_t* bytes;
  uint32_t value;
  if (!Have(reader, 4))
    return 0;
  bytes = reader->data + reader->at;
  reader->at += 4;
  value = (uint32_t)bytes[0] | (uint32_t)bytes[1] << 8 | (uint32_t)bytes[2] << 16 |
          (uint32_t)bytes[3] << 24;
  /* Spelled out: converting an unsigned value above INT32_MAX is not portable C. */
  if (value <= (uint32_t)INT32_MAX)
    return (int32_t)value;
  return -(int32_t)(~value) - 1;
}

const char* A2sTakeText(A2sReader* reader) {
  const uint8_t* start;
  const uint8_t* end;
  if (!Have(reader, 1))
    return "";
  start = reader->data + reader->at;
  end = (const uint8_t*)memchr(start, 0, reader->size - reader->at);
  if (end == NULL) {
    reader->ok = 0;
    return "";
  }
  reader->at += (size_t)(end - start) + 1;
  return (const char*)start;
}

void A2sSkip(A2sReader* reader, size_t count) {
  if (Have(reader, count))
    reader->at += count;
}
