#pragma once

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
};
