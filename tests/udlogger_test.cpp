#include "udlogger.h"

#include "capturelog.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <thread>

namespace {

std::string terminalText(const char* text, bool colours) {
  std::FILE* out = std::tmpfile();
  udLogger::writeForTerminal(out, text, colours);
  std::string written(static_cast<size_t>(std::ftell(out)), '\0');
  std::rewind(out);
  written.resize(std::fread(&written[0], 1, written.size(), out));
  std::fclose(out);
  return written;
}

}  // namespace

// Messages longer than the logger's first buffer arrive whole; a null format is ignored.
TEST(udLogger, SinkGetsTheFormattedTextExactly) {
  std::string longName(3000, 'n');
  {
    CaptureLog log;
    log.expect("...[menu:12] Unknown parameter: ^C00FF00colour\f");
    log.expect("could not open file: \"^C00FF00" + longName + "^c\"\f", 1);
    udLogger::log(2, "...[%s:%d] Unknown parameter: ^C00FF00%s\f", "menu", 12, "colour");
    udLogger::log(1, "could not open file: \"^C00FF00%s^c\"\f", longName.c_str());
    udLogger::log(2, nullptr);
  }
  int someClient = 0;
  udLogger::setSink(nullptr, &someClient);
  void* client = &client;
  EXPECT_EQ(udLogger::getSink(&client), nullptr) << "a null sink restores the default";
  EXPECT_EQ(client, nullptr);
}

TEST(udLogger, TerminalTextTurnsColourCodesIntoColoursOrDropsThem) {
  struct Case {
    const char* text;
    const char* plain;
    const char* coloured;
  } cases[] = {
      {"^CFFff00Loader^c: up\f", "Loader: up\n", "\x1b[38;2;255;255;0mLoader\x1b[39m: up\n"},
      {"open ^C00FF00end\f", "open end\n", "open \x1b[38;2;0;255;0mend\n\x1b[39m"},
      {"not a code ^C12345 ^X", "not a code ^C12345 ^X\n", "not a code ^C12345 ^X\n"},
      {"ends in a caret ^", "ends in a caret ^\n", "ends in a caret ^\n"},
      {"two\flines\f ", "two\nlines\n \n", "two\nlines\n \n"},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.text);
    EXPECT_EQ(terminalText(test.text, false), test.plain);
    EXPECT_EQ(terminalText(test.text, true), test.coloured);
  }
}

TEST(udLogger, ClientNamesBelongToTheirThread) {
  std::string seen;
  std::thread worker([&seen] {
    udLogger::registerClient("^CFFFF00BackgroundLoader^c");
    seen = udLogger::clientName();
  });
  worker.join();
  EXPECT_EQ(seen, "^CFFFF00BackgroundLoader^c");
  EXPECT_STREQ(udLogger::clientName(), "");
}
