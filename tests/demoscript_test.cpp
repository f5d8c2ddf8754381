#include "demoscript.h"

#include "uisubsystem.h"
#include "uiwidget.h"

#include "core.h"

#include "capturelog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string describe(const demoEvent& event) {
  static const char* const k_kinds[] = {"move", "press", "release", "keydown",
                                        "keyup", "char", "shot"};
  std::string text = std::to_string(event.frame) + " " + k_kinds[event.kind];
  if (event.kind == demoEvent::SHOT)
    return text + " " + event.name;
  if (event.kind == demoEvent::KEYDOWN || event.kind == demoEvent::KEYUP ||
      event.kind == demoEvent::CHAR)
    return text + " " + std::to_string(event.key);
  if (event.kind == demoEvent::MOVE)
    return text + " " + std::to_string(event.x) + " " + std::to_string(event.y);
  return text;
}

std::vector<std::string> eventsOf(const demoScript& script) {
  std::vector<std::string> events;
  for (const demoEvent& event : script.events())
    events.push_back(describe(event));
  return events;
}

struct Heard {
  std::vector<std::string> lines;
};

std::string at(int x, int y) { return " " + std::to_string(x) + " " + std::to_string(y); }

bool onPress(uiWidget*, void* client, int x, int y) {
  static_cast<Heard*>(client)->lines.push_back("press" + at(x, y));
  return true;
}

bool onRelease(uiWidget*, void* client, int x, int y) {
  static_cast<Heard*>(client)->lines.push_back("release" + at(x, y));
  return true;
}

bool onKeyDown(uiWidget*, void* client, int key) {
  static_cast<Heard*>(client)->lines.push_back("keydown " + std::to_string(key));
  return true;
}

bool onKeyUp(uiWidget*, void* client, int key) {
  static_cast<Heard*>(client)->lines.push_back("keyup " + std::to_string(key));
  return true;
}

}  // namespace

TEST(demoScript, CommandsBecomeEventsOfFrames) {
  struct Case {
    const char* script;
    std::vector<std::string> events;
  };
  const Case cases[] = {
    {"5 move 10 20", {"5 move 10 20"}},
    {"0 move 100 0\n2 move 0 40 4",
     {"0 move 100 0", "2 move 75 10", "3 move 50 20", "4 move 25 30", "5 move 0 40"}},
    {"3 move 7 8\n3 click", {"3 move 7 8", "3 press", "4 release"}},
    {"1 key escape", {"1 keydown 27", "2 keyup 27"}},
    {"1 keydown F2\n1 keyup SHIFT\n2 key a",
     {"1 keydown 164", "1 keyup 138", "2 keydown 97", "3 keyup 97"}},
    {"4 type A\xC3\xA9 b", {"4 char 65", "5 char 233", "6 char 32", "7 char 98"}},
    {"4 type \"  x\"", {"4 char 32", "5 char 32", "6 char 120"}},
    {"10 shot title\n+5 press", {"10 shot title", "15 press"}},
    {"# a comment\n\n  7 move 1 2   # a comment after the arguments\n", {"7 move 1 2"}},
    {"7 type a # b", {"7 char 97", "8 char 32", "9 char 35", "10 char 32", "11 char 98"}},
    // A glide keeps its frames; a later line of one of them comes after the glide's move.
    {"0 move 0 0\n0 move 30 0 3\n1 press",
     {"0 move 0 0", "0 move 10 0", "1 move 20 0", "1 press", "2 move 30 0"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    demoScript script;
    EXPECT_TRUE(script.parse(c.script, "test"));
    EXPECT_EQ(eventsOf(script), c.events);
  }
}

TEST(demoScript, RunEndsAtTheEndLineOrTheLastEvent) {
  struct Case {
    const char* script;
    unsigned int lastFrame;
  };
  const Case cases[] = {
    {"", 0}, {"3 press\n9 end", 9}, {"3 click", 4}, {"3 move 0 0 5", 7}, {"2 end", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    demoScript script;
    EXPECT_TRUE(script.parse(c.script, "test"));
    EXPECT_EQ(script.lastFrame(), c.lastFrame);
  }
}

TEST(demoScript, BadLinesAreReportedWithTheirLineAndSkipped) {
  struct Case {
    const char* script;
    const char* error;
  };
  const Case cases[] = {
    {"x move 1 2", "t:1: expected a frame number or +N, found \"x\""},
    {"-3 press", "t:1: expected a frame number or +N, found \"-3\""},
    {"99999999999 press", "t:1: expected a frame number or +N, found \"99999999999\""},
    {"9999999 press\n+9999999 press",
     "t:2: frame 19999998 is beyond the last frame a script may use"},
    {"5", "t:1: frame 5 has no command"},
    {"1 press\n5 jump", "t:2: unknown command \"jump\""},
    {"5 move 1", "t:1: expected \"move X Y\" or \"move X Y FRAMES\" (1 to 10000 frames)"},
    {"5 move 1 2 0", "t:1: expected \"move X Y\" or \"move X Y FRAMES\" (1 to 10000 frames)"},
    {"5 move 1 2x", "t:1: expected \"move X Y\" or \"move X Y FRAMES\" (1 to 10000 frames)"},
    {"5 move 1 2000000", "t:1: expected \"move X Y\" or \"move X Y FRAMES\" (1 to 10000 frames)"},
    {"5 key NOPE", "t:1: unknown key \"NOPE\""},
    {"5 keydown", "t:1: unknown key \"\""},
    {"9 press\n3 press", "t:2: frame 3 comes before frame 9 of an earlier line"},
    {"5 shot ../escape", "t:1: \"shot\" needs a plain picture name"},
    {"5 shot", "t:1: \"shot\" needs a plain picture name"},
    {"5 type", "t:1: \"type\" needs a text"},
    {"5 end\n6 press", "t:2: nothing may follow the \"end\" line"},
    {"5 press hard", "t:1: \"hard\" after the command's arguments"},
    {"5 key A B", "t:1: \"B\" after the command's arguments"},
    {"5 # no command", "t:1: frame 5 has no command"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    demoScript script;
    EXPECT_FALSE(script.parse(c.script, "t"));
    EXPECT_EQ(script.errors(), std::vector<std::string>{c.error});
  }
}

TEST(demoScript, KeyNamesGiveTheCodesTheLibraryReads) {
  struct Case {
    const char* name;
    int code;
  };
  const Case cases[] = {
    {"ENTER", 13}, {"escape", 27}, {"Tab", 9}, {"BACKSPACE", 127}, {"SPACE", 32},
    {"ALT", 136},  {"CTRL", 137},  {"SHIFT", 138}, {"F1", 163}, {"f10", 172},
    {"F11", -1},   {"F0", -1},     {"a", 97},  {"7", 7},  {"300", 300},
    {"", -1},      {"NOPE", -1},   {"-4", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(demoScript::keyCode(c.name), c.code);
  }
  EXPECT_EQ(demoScript::keyCode(nullptr), -1);
}

TEST(demoScript, DispatchSendsOneFramesInputToTheUi) {
  uiSubsystem ui;
  uiWidget* catcher = uiWidget::allocWidget("catcher", "uiInputHandler");
  ASSERT_NE(catcher, nullptr);
  catcher->x2 = 800;
  catcher->y2 = 600;
  catcher->setWidgetStates(true, true, true, false);
  Heard heard;
  _WidgetMap_s callbacks {};
  callbacks.pressCb = onPress;
  callbacks.releaseCb = onRelease;
  callbacks.keyDownCb = onKeyDown;
  callbacks.keyUpCb = onKeyUp;
  catcher->assignCallbacks(&callbacks, &heard);
  ui.setTopLevelWidget(catcher);

  demoScript script;
  ASSERT_TRUE(script.parse("2 move 40 50\n2 click\n2 shot a\n3 key ENTER", "t"));
  script.dispatch(1, ui);
  EXPECT_TRUE(heard.lines.empty());
  script.dispatch(2, ui);
  EXPECT_EQ(heard.lines, std::vector<std::string>{"press 40 50"});
  EXPECT_EQ(ui.getMousePositionX(), 40);
  int cursorX = 0, cursorY = 0;
  Platform::GetCursorPos(cursorX, cursorY);
  EXPECT_EQ(cursorX, 40);
  EXPECT_EQ(cursorY, 50);
  script.dispatch(3, ui);
  EXPECT_EQ(heard.lines, (std::vector<std::string>{"press 40 50", "release 40 50", "keydown 13"}));
  EXPECT_EQ(script.shotsAt(2), std::vector<std::string>{"a"});
  EXPECT_TRUE(script.shotsAt(3).empty());

  ui.setTopLevelWidget(nullptr);
  delete catcher;
}

TEST(demoScript, TheDemosTimelineReads) {
  demoScript script;
  EXPECT_TRUE(script.load(UI_DEMO_DATA "/demo.script"));
  EXPECT_TRUE(script.errors().empty());
  EXPECT_GT(script.lastFrame(), 0u);

  demoScript missing;
  EXPECT_FALSE(missing.load(UI_DEMO_DATA "/no-such.script"));
  EXPECT_EQ(missing.errors(),
            std::vector<std::string>{UI_DEMO_DATA "/no-such.script: cannot be read"});
}
