#include "uibutton.h"

#include "widgettest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

// A button named ok at (10, 10) on a 20 x 10 sprite (animations 0 to 6 of four frames, 7 of none),
// installed as the top-level widget. Sounds and the game's callbacks go into one log, in order.
struct ButtonFixture : WidgetStage {
  uiButton button;
  Lines heard;

  ButtonFixture() {
    gfx.defineSprite("btn", 20, 10, 4, 4, 4, 4, 4, 4, 4, 0);
    uiCopyName(button.name, "ok", sizeof(button.name));
    button.x = button.y = 10;
    button.setSprite("btn", 0, 0, false);
    button.setWidgetStates(true, true, true, false);
    button.pressCb = [](uiWidget*, void* f, int x, int y) { return hear(f, "press", x, y); };
    button.releaseCb = [](uiWidget*, void* f, int x, int y) { return hear(f, "release", x, y); };
    button.keyDownCb = [](uiWidget*, void* f, int key) { return hear(f, "keydown", key, 0); };
    button.cbClient = this;
    ui.setTopLevelWidget(&button);
    uiWidget::s_frameNumber = 100;
  }

  static bool hear(void* client, const char* what, int a, int b) {
    auto* f = static_cast<ButtonFixture*>(client);
    f->take(false);
    f->heard.push_back(what + (" " + std::to_string(a)) + " " + std::to_string(b));
    return true;
  }
  // Everything heard so far, the sounds in their place; the log then starts again.
  Lines take(bool clear = true) {
    for (const auto& played : sound.played)
      heard.push_back("sound " + played.name);
    sound.played.clear();
    Lines all = heard;
    if (clear)
      heard.clear();
    return all;
  }
  void input(std::initializer_list<e_uiEvent> events, int x, int y) {
    for (e_uiEvent event : events)
      ui.inputEvent(event, x, y, 0);
  }
};

}  // namespace

// Event              | Heard                                  | Focus stack
// press, release     | highlight, press, click, release       | pushed, popped
// press, out, in, up | press, highlight (no click)            | pushed, popped
// press, release out | press                                  | pushed, popped
TEST(uiButton, InputSequences) {
  ButtonFixture f;
  f.input({UIE_MOUSEDOWN, UIE_MOUSEUP}, 15, 15);
  EXPECT_EQ(f.take(), (Lines {"sound highlight", "press 15 15", "sound click", "release 15 15"}));
  EXPECT_EQ(f.ui.focusStack, nullptr);
  uiWidget::s_frameNumber += 6;
  f.input({UIE_MOUSEDOWN}, 15, 15);
  EXPECT_EQ(f.ui.getInputFocusWidget(), &f.button);
  f.input({UIE_MOUSEMOVE}, 50, 50);
  EXPECT_FALSE(f.button.pressed || f.button.isHovering());
  f.input({UIE_MOUSEMOVE, UIE_MOUSEUP}, 15, 15);  // no press is pending: swallowed
  EXPECT_EQ(f.take(), (Lines {"press 15 15", "sound highlight"}));
  EXPECT_EQ(f.ui.focusStack, nullptr);
  f.input({UIE_MOUSEDOWN}, 15, 15);
  f.input({UIE_MOUSEUP}, 80, 80);
  EXPECT_EQ(f.take(), (Lines {"press 15 15"}));
  EXPECT_EQ(f.ui.focusStack, nullptr);
  EXPECT_FALSE(f.button.pressed);
}

// The hotkey is a complete click at the top left corner; other keys reach keyDownCb only while
// the pointer is over the button.
TEST(uiButton, HotkeyIsACompleteClickAtTheTopLeftCorner) {
  ButtonFixture f;
  f.button.hotkey = 32;
  f.input({UIE_MOUSEMOVE}, 90, 90);
  f.ui.inputEvent(UIE_KEYDOWN, 0, 0, 32);
  f.ui.inputEvent(UIE_KEYDOWN, 0, 0, 65);
  EXPECT_EQ(f.take(), (Lines {"sound highlight", "sound click", "release 10 10"}));
  EXPECT_EQ(f.ui.focusStack, nullptr);
  f.input({UIE_MOUSEMOVE}, 12, 12);
  f.ui.inputEvent(UIE_KEYDOWN, 0, 0, 65);
  EXPECT_EQ(f.take(), (Lines {"sound highlight", "keydown 65 0"}));
}

// From base animation 1: a state whose animation the flags do not provide falls back.
TEST(uiButton, StateAnimationOffsetsOfBothLayouts) {
  const unsigned int both = UIB_PRESSED | UIB_HOVER, shortBoth = both | UIB_DONTDRAWIDLE;
  struct Case { unsigned int flags; bool enabled, pressed, hover; int anim; } cases[] = {
      {both, false, true, true, 4},       {both, true, true, true, 3},
      {UIB_HOVER, true, true, true, 2},   {UIB_PRESSED, true, false, true, 1},
      {shortBoth, false, false, false, 3}, {shortBoth, true, true, true, 2},
      {shortBoth, true, false, true, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(&c - cases);
    ButtonFixture f;
    f.button.setAnim(1);
    f.button.setWidgetFlags(c.flags | WF_VISIBLE | WF_ACTIVE | (c.enabled ? WF_INPUT_FOCUS : 0u));
    f.button.pressed = c.pressed;
    f.button.hover = c.hover;
    f.button.render(0, 0);
    EXPECT_EQ(f.gfx.callsOf("blt").back(), "blt depth=0 sprite=1 x=10 y=10 anim=" +
                                               std::to_string(c.anim) + " frame=0 alpha=255");
  }
}

// An animation without frames stays on frame 0 instead of dividing by nothing.
TEST(uiButton, UpdateMovesFramesByTheRate) {
  ButtonFixture f;
  f.button.rate = 100;
  f.button.render(0, 0);
  std::vector<int> frames;
  for (unsigned int ms : {250u, 60u, 100u, 100u}) {
    uiWidget::s_iDeltaTime = ms;
    f.button.update(0, 0);
    frames.push_back(f.button.getFrame());
  }
  EXPECT_EQ(frames, (std::vector<int> {2, 3, 0, 1}));
  f.button.setAnim(7);
  f.button.setFrame(2);
  f.button.update(0, 0);
  uiWidget::s_iDeltaTime = 0;
  EXPECT_EQ(f.button.getFrame(), 0);
}

TEST(uiButton, KeysFlagsAndDefaultSounds) {
  LeakCheck leaks;
  CaptureLog log;
  log.expect("...unknown hotkey: \"^C00FF00KEY_F11^c\"\f");
  log.expect("...expected: \"^C00FF00hotkey = \"val\"^c\"\f");
  log.expect("...expected: \"^C00FF00clicksound = \"string\"^c\"\f");
  log.expect("Unknown flag: UIP_DONTUPDATE\f");
  uiButton::setDefaultSounds("tick", "buzz");
  Tree widget(parseWidget("ok = uiButton\n{\n hotkey = key_f3\n highlightsound = hum\n"
                          " hotkey = KEY_F11\n hotkey KEY_SPACE\n clicksound =\n"
                          " flags = UIB_PRESSED | uib_hover | UIP_DONTUPDATE\n}\n"));
  uiButton::setDefaultSounds("click", "highlight");
  ASSERT_TRUE(widget);
  auto* button = static_cast<uiButton*>(widget.get());
  EXPECT_EQ(button->hotkey, 165);
  EXPECT_EQ(std::string(button->clickSound) + button->highlightSound, "tickhum");
  EXPECT_EQ(widget->getWidgetFlags(), UIB_PRESSED | UIB_HOVER);
}
