#pragma once

#include <cstdio>

// The engine's logging library. Messages are printf-style; colour codes "^CRRGGBB" ... "^c"
// mark quoted items, and every message of the UI library ends with a form feed.

typedef void (*udLoggerSink)(void* client, int severity, const char* text);

class udLogger {
public:
  static void log(int severity, const char* format, ...) __attribute__((format(printf, 2, 3)));
  static void registerClient(const char* name);
  // A sink receives every message exactly as formatted; null restores the default sink, which
  // writes to stderr.
  static void setSink(udLoggerSink sink, void* client);

  // The sink in place (null for the default) and its client, so that a caller can put it back.
  static udLoggerSink getSink(void** client);
  // The name the calling thread registered, or "" when it registered none.
  static const char* clientName();
  // The default sink's rendering: colour codes become ANSI colours (or are dropped without
  // `colours`), form feeds become line ends, and the text ends with a line end.
  static void writeForTerminal(std::FILE* out, const char* text, bool colours);
};
