#include "demoscript.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// "frame kind detail" for each event, then "last N"; or the errors, when the script is refused.
std::vector<std::string> read(const char* text) {
  static const char* const k_kinds[] = {"move", "press", "release", "keydown",
                                        "keyup", "char", "shot"};
  demoScript script;
  if (!script.parse(text, "t"))
    return script.errors();
  std::vector<std::string> events;
  for (const demoEvent& event : script.events()) {
    std::string line = std::to_string(event.frame) + " " + k_kinds[event.kind];
    if (event.kind == demoEvent::SHOT)
      line += " " + event.name;
    else if (event.kind == demoEvent::MOVE)
      line += " " + std::to_string(event.x) + " " + std::to_string(event.y);
    else if (event.kind != demoEvent::PRESS && event.kind != demoEvent::RELEASE)
      line += " " + std::to_string(event.key);
    events.push_back(line);
  }
  events.push_back("last " + std::to_string(script.lastFrame()));
  return events;
}

}  // namespace

// Glides, clicks, key taps and typed text are spread over frames; a bad line is reported with
// its line and refuses the script.
TEST(demoScript, CommandsBecomeEventsOfFrames) {
  const char* const badMove =
      "t:1: expected \"move X Y\" or \"move X Y FRAMES\" (1 to 10000 frames)";
  struct Case {
    const char* script;
    std::vector<std::string> read;
  } cases[] = {
      {"", {"last 0"}},
      {"0 move 100 0\n2 move 0 40 4",
       {"0 move 100 0", "2 move 75 10", "3 move 50 20", "4 move 25 30", "5 move 0 40", "last 5"}},
      {"3 move 7 8\n3 click\n9 end", {"3 move 7 8", "3 press", "4 release", "last 9"}},
      {"1 keydown F2\n1 keyup SHIFT\n2 key escape",
       {"1 keydown 164", "1 keyup 138", "2 keydown 27", "3 keyup 27", "last 3"}},
      {"4 type A\xC3\xA9 b", {"4 char 65", "5 char 233", "6 char 32", "7 char 98", "last 7"}},
      {"10 shot title\n+5 press  # a comment", {"10 shot title", "15 press", "last 15"}},
      // A glide keeps its frames; a later line of one of them comes after the glide's move.
      {"0 move 30 0 3\n1 press",
       {"0 move 10 0", "1 move 20 0", "1 press", "2 move 30 0", "last 2"}},
      {"99999999999 press", {"t:1: expected a frame number or +N, found \"99999999999\""}},
      {"9999999 press\n+9999999 press",
       {"t:2: frame 19999998 is beyond the last frame a script may use"}},
      {"9 press\n3 press", {"t:2: frame 3 comes before frame 9 of an earlier line"}},
      {"5 # no command", {"t:1: frame 5 has no command"}},
      {"1 press\n5 jump", {"t:2: unknown command \"jump\""}},
      {"5 move 1", {badMove}},
      {"5 move 1 2000000", {badMove}},
      {"5 key F11", {"t:1: unknown key \"F11\""}},
      {"5 shot ../escape", {"t:1: \"shot\" needs a plain picture name"}},
      {"5 end\n6 press", {"t:2: nothing may follow the \"end\" line"}},
      {"5 key A B", {"t:1: \"B\" after the command's arguments"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    EXPECT_EQ(read(c.script), c.read);
  }
}

TEST(demoScript, TheDemosTimelineReads) {
  demoScript script;
  EXPECT_TRUE(script.load(UI_DEMO_DATA "/demo.script"));
  EXPECT_TRUE(script.errors().empty());
  EXPECT_FALSE(script.load(UI_DEMO_DATA "/no-such.script"));
  EXPECT_EQ(script.errors().back(), UI_DEMO_DATA "/no-such.script: cannot be read");
}
