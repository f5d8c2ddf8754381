#include "udlogger.h"

#include "capturelog.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

// A message longer than the logger's first buffer arrives whole; a null format is ignored. On a
// terminal the colour codes become colours, and a code cut short by the end stays text.
TEST(udLogger, MessagesArriveWholeAndColourCodesAreRead) {
  std::string longName(3000, 'n');
  {
    CaptureLog log;
    log.expect("could not open file: \"^C00FF00" + longName + "^c\"\f");
    udLogger::log(2, "could not open file: \"^C00FF00%s^c\"\f", longName.c_str());
    udLogger::log(2, nullptr);
  }
  struct Case {
    const char* text;
    const char* written;
  } cases[] = {
      {"^CFFff00Loader^c: up\f", "\x1b[38;2;255;255;0mLoader\x1b[39m: up\n"},
      {"not a code ^C12345 ^X", "not a code ^C12345 ^X\n"},
      {"ends in a caret ^", "ends in a caret ^\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::FILE* out = std::tmpfile();
    udLogger::writeForTerminal(out, c.text, true);
    std::string written(static_cast<size_t>(std::ftell(out)), '\0');
    std::rewind(out);
    written.resize(std::fread(&written[0], 1, written.size(), out));
    std::fclose(out);
    EXPECT_EQ(written, c.written);
  }
}
