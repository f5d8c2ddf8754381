#include "demoscript.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// A bad line is reported with its line, whatever its numbers. The demo's test runs its own script.
TEST(demoScript, BadLinesAreReportedWithTheirLine) {
  struct Case {
    const char* script;
    const char* error;
  } cases[] = {
      {"99999999999 press", "t:1: expected a frame number or +N, found \"99999999999\""},
      {"9999999 press\n+9999999 press",
       "t:2: frame 19999998 is beyond the last frame a script may use"},
      {"9 press\n3 press", "t:2: frame 3 comes before frame 9 of an earlier line"},
      {"5 move 1 2000000",
       "t:1: expected \"move X Y\" or \"move X Y FRAMES\" (1 to 10000 frames)"},
      {"5 shot ../escape", "t:1: \"shot\" needs a plain picture name"},
      {"5 key A B", "t:1: \"B\" after the command's arguments"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    demoScript script;
    EXPECT_FALSE(script.parse(c.script, "t"));
    EXPECT_EQ(script.errors(), std::vector<std::string> {c.error});
  }
}
