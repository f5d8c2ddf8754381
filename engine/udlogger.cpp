#include "udlogger.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unistd.h>

namespace {

// Recursive, so that a sink may log.
std::recursive_mutex& sinkMutex() {
  static std::recursive_mutex mutex;
  return mutex;
}

udLoggerSink s_sink = nullptr;
void* s_sinkClient = nullptr;
thread_local char t_clientName[128];

bool isHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int hexValue(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  return (c | 0x20) - 'a' + 10;
}

// "^C" and six hexadecimal digits of colour; anything else after "^C" is plain text.
bool isColourCode(const char* at) {
  if (at[0] != '^' || at[1] != 'C')
    return false;
  for (int i = 2; i < 8; ++i)
    if (!isHexDigit(at[i]))
      return false;
  return true;
}

// Collects output in a small buffer so that a message costs a few writes, not one per character.
class TerminalWriter {
public:
  explicit TerminalWriter(std::FILE* out) : m_out(out) {}
  ~TerminalWriter() { flush(); }

  void put(const char* text, size_t length) {
    if (m_used + length > sizeof m_buffer)
      flush();
    if (length > sizeof m_buffer) {
      std::fwrite(text, 1, length, m_out);
      return;
    }
    std::memcpy(m_buffer + m_used, text, length);
    m_used += length;
  }
  void put(char c) { put(&c, 1); }
  void flush() {
    if (m_used)
      std::fwrite(m_buffer, 1, m_used, m_out);
    m_used = 0;
  }

private:
  std::FILE* m_out;
  char m_buffer[256];
  size_t m_used = 0;
};

void putColour(TerminalWriter& writer, const char* hex) {
  char code[32];
  int length = std::snprintf(code, sizeof code, "\x1b[38;2;%d;%d;%dm",
                             hexValue(hex[0]) * 16 + hexValue(hex[1]),
                             hexValue(hex[2]) * 16 + hexValue(hex[3]),
                             hexValue(hex[4]) * 16 + hexValue(hex[5]));
  writer.put(code, static_cast<size_t>(length));
}

// Writes text with its colour codes turned into ANSI colours (or dropped) and form feeds into
// line ends. Returns the last character written, '\0' when none.
char putConverted(TerminalWriter& writer, const char* text, bool colours, bool* colourOpen) {
  char last = '\0';
  for (const char* at = text; *at; ++at) {
    if (isColourCode(at)) {
      if (colours)
        putColour(writer, at + 2);
      *colourOpen = true;
      at += 7;
    } else if (at[0] == '^' && at[1] == 'c') {
      if (colours)
        writer.put("\x1b[39m", 5);
      *colourOpen = false;
      ++at;
    } else {
      last = *at == '\f' ? '\n' : *at;
      writer.put(last);
    }
  }
  return last;
}

bool stderrIsTerminal() {
  static const bool terminal = isatty(fileno(stderr)) != 0;
  return terminal;
}

// A registered thread's messages start with its name.
void defaultSink(int, const char* text) {
  bool colours = stderrIsTerminal();
  if (t_clientName[0]) {
    TerminalWriter writer(stderr);
    bool colourOpen = false;
    putConverted(writer, t_clientName, colours, &colourOpen);
    if (colours && colourOpen)
      writer.put("\x1b[39m", 5);
    writer.put(": ", 2);
  }
  udLogger::writeForTerminal(stderr, text, colours);
}

void deliver(int severity, const char* text) {
  std::lock_guard<std::recursive_mutex> hold(sinkMutex());
  if (s_sink)
    s_sink(s_sinkClient, severity, text);
  else
    defaultSink(severity, text);
}

}  // namespace

void udLogger::log(int severity, const char* format, ...) {
  if (!format)
    return;
  char small[1024];
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  int length = std::vsnprintf(small, sizeof small, format, args);
  va_end(args);
  if (length < 0)
    small[0] = '\0';
  // A long message is formatted again at its full size; when that fails it goes out cut.
  char* large = nullptr;
  if (length >= static_cast<int>(sizeof small)) {
    large = static_cast<char*>(std::malloc(static_cast<size_t>(length) + 1));
    if (large)
      std::vsnprintf(large, static_cast<size_t>(length) + 1, format, again);
  }
  va_end(again);
  deliver(severity, large ? large : small);
  std::free(large);
}

void udLogger::registerClient(const char* name) {
  std::snprintf(t_clientName, sizeof t_clientName, "%s", name ? name : "");
}

void udLogger::setSink(udLoggerSink sink, void* client) {
  std::lock_guard<std::recursive_mutex> hold(sinkMutex());
  s_sink = sink;
  s_sinkClient = sink ? client : nullptr;
}

udLoggerSink udLogger::getSink(void** client) {
  std::lock_guard<std::recursive_mutex> hold(sinkMutex());
  if (client)
    *client = s_sinkClient;
  return s_sink;
}

const char* udLogger::clientName() {
  return t_clientName;
}

void udLogger::writeForTerminal(std::FILE* out, const char* text, bool colours) {
  TerminalWriter writer(out);
  bool colourOpen = false;
  char last = putConverted(writer, text ? text : "", colours, &colourOpen);
  if (colours && colourOpen)
    writer.put("\x1b[39m", 5);
  if (last != '\n' && last != '\0')
    writer.put('\n');
}
