#include "uitextwidget.h"

unsigned int utf8DecodeChar(const unsigned char* source, int* length) {
  unsigned char lead = source[0];
  int count = 1;
  unsigned char mask = 0x7F;
  if (lead >= 0xFC) { count = 6; mask = 0x01; }
  else if (lead >= 0xF8) { count = 5; mask = 0x03; }
  else if (lead >= 0xF0) { count = 4; mask = 0x07; }
  else if (lead >= 0xE0) { count = 3; mask = 0x0F; }
  else if (lead >= 0xC0) { count = 2; mask = 0x1F; }
  unsigned int value = lead & mask;
  int used = 1;
  // Following bytes are not checked for the 10xxxxxx form, only for the end of the text.
  while (used < count && source[used] != 0) {
    value = (value << 6) + (source[used] & 0x3F);
    ++used;
  }
  *length = used;
  return value;
}

unsigned int* utf8ToText(unsigned int* destination, const char* source, int count) {
  const unsigned char* at = reinterpret_cast<const unsigned char*>(source);
  int i = 0;
  for (; i < count && at && *at; ++i) {
    int length = 0;
    destination[i] = utf8DecodeChar(at, &length);
    at += length;
  }
  for (; i < count; ++i)
    destination[i] = 0;
  return destination;
}
