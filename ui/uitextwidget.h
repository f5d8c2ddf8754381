#pragma once

#include "uiwidget.h"

// Decodes one UTF-8 character and stores in *length how many bytes it took. A sequence cut short
// by the terminator ends there: the decoder never reads past it.
unsigned int utf8DecodeChar(const unsigned char* source, int* length);
// Fills exactly count entries of destination from the UTF-8 bytes of source, zero after its end.
// Returns destination. When source holds count characters or more, no entry is 0.
unsigned int* utf8ToText(unsigned int* destination, const char* source, int count);
