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
  size_t soundsHeard = 0;

  ButtonFixture() {
    gfx.defineSprite("btn", 20, 10, 4, 4, 4, 4, 4, 4, 4, 0);
    uiCopyName(button.name, "ok", sizeof(button.name));
    button.x = 10;
    button.y = 10;
    button.setSprite("btn", 0, 0, false);
    button.setWidgetStates(true, true, true, false);
    _WidgetMap_s callbacks {};
    callbacks.pressCb = [](uiWidget*, void* f, int x, int y) { return hear(f, "press", x, y); };
    callbacks.releaseCb = [](uiWidget*, void* f, int x, int y) { return hear(f, "release", x, y); };
    callbacks.keyDownCb = [](uiWidget*, void* f, int key) { return hear(f, "keydown", key, 0); };
    button.assignCallbacks(&callbacks, this);
    ui.setTopLevelWidget(&button);
    uiWidget::s_frameNumber = 100;
  }

  static bool hear(void* client, const char* what, int a, int b) {
    auto* f = static_cast<ButtonFixture*>(client);
    f->events();
    f->heard.push_back(what + (" " + std::to_string(a)) + " " + std::to_string(b));
    return true;
  }
  // Everything heard so far; the log then starts again.
  Lines events() {
    for (; soundsHeard < sound.played.size(); ++soundsHeard)
      heard.push_back("sound " + sound.played[soundsHeard].name);
    return heard;
  }
  Lines take() {
    Lines all = events();
    heard.clear();
    return all;
  }
  void click(int x, int y) {
    ui.inputEvent(UIE_MOUSEDOWN, x, y, 0);
    ui.inputEvent(UIE_MOUSEUP, x, y, 0);
  }
};

}  // namespace

// Event             | Heard                                | Focus stack
// press, release    | highlight, press, click, release     | pushed, popped
// press, out, in, up| highlight, press, highlight          | pushed, popped, no click
// press, release out| highlight, press                     | pushed, popped
TEST(uiButton, InputSequences) {
  ButtonFixture f;
  f.click(15, 15);
  EXPECT_EQ(f.take(), (Lines {"sound highlight", "press 15 15", "sound click", "release 15 15"}));
  EXPECT_EQ(f.ui.focusStack, nullptr);
  EXPECT_EQ(f.button.lastClickFrame, 100);

  uiWidget::s_frameNumber += 6;
  f.ui.inputEvent(UIE_MOUSEDOWN, 15, 15, 0);
  EXPECT_EQ(f.ui.getInputFocusWidget(), &f.button);
  f.ui.inputEvent(UIE_MOUSEMOVE, 50, 50, 0);
  EXPECT_FALSE(f.button.pressed);
  EXPECT_FALSE(f.button.isHovering());
  f.ui.inputEvent(UIE_MOUSEMOVE, 15, 15, 0);
  f.ui.inputEvent(UIE_MOUSEUP, 15, 15, 0);  // no press is pending: swallowed, no click
  EXPECT_EQ(f.take(), (Lines {"press 15 15", "sound highlight"}));
  EXPECT_EQ(f.ui.focusStack, nullptr);

  f.ui.inputEvent(UIE_MOUSEDOWN, 15, 15, 0);
  f.ui.inputEvent(UIE_MOUSEUP, 80, 80, 0);
  EXPECT_EQ(f.take(), (Lines {"press 15 15"}));
  EXPECT_EQ(f.ui.focusStack, nullptr);
  EXPECT_FALSE(f.button.pressed);

  f.ui.inputEvent(UIE_MOUSEDOWN, 15, 15, 0);
  f.button.disable();
  EXPECT_EQ(f.ui.focusStack, nullptr);
  EXPECT_FALSE(f.button.pressed);
  EXPECT_EQ(f.take(), (Lines {"sound highlight", "press 15 15"}));
}

TEST(uiButton, PressWithinFiveFramesOfAClickIsSwallowed) {
  for (unsigned long long later = 0; later <= 6; ++later) {
    SCOPED_TRACE(later);
    ButtonFixture f;
    f.click(15, 15);
    f.take();
    uiWidget::s_frameNumber += later;
    EXPECT_TRUE(f.button.inputEvent(UIE_MOUSEDOWN, 15, 15, 0, false, false));
    bool passed = later > 5;
    EXPECT_EQ(f.ui.getInputFocusWidget(), passed ? &f.button : nullptr);
    EXPECT_EQ(f.take(), passed ? Lines {"press 15 15"} : Lines {});
  }
}

TEST(uiButton, HotkeyIsACompleteClickAtTheTopLeftCorner) {
  ButtonFixture f;
  f.button.hotkey = 32;
  f.ui.inputEvent(UIE_MOUSEMOVE, 90, 90, 0);
  f.ui.inputEvent(UIE_KEYDOWN, 0, 0, 32);
  EXPECT_EQ(f.take(), (Lines {"sound highlight", "sound click", "release 10 10"}));
  EXPECT_EQ(f.ui.focusStack, nullptr);

  // Other keys reach keyDownCb only while the pointer is over the button.
  f.ui.inputEvent(UIE_KEYDOWN, 0, 0, 65);
  f.ui.inputEvent(UIE_MOUSEMOVE, 12, 12, 0);
  f.ui.inputEvent(UIE_KEYDOWN, 0, 0, 65);
  EXPECT_EQ(f.take(), (Lines {"sound highlight", "keydown 65 0"}));
}

TEST(uiButton, StateAnimationOffsetsOfBothLayouts) {
  struct Case {
    const char* name;
    unsigned int flags;
    bool enabled, pressed, hover;
    int anim;  // base animation 1
  };
  const unsigned int both = UIB_PRESSED | UIB_HOVER;
  const unsigned int shortBoth = both | UIB_DONTDRAWIDLE;
  const Case cases[] = {
      {"disabled", both, false, true, true, 4},
      {"pressed", both, true, true, true, 3},
      {"pressed without its animation", UIB_HOVER, true, true, true, 2},
      {"hover without its animation", UIB_PRESSED, true, false, true, 1},
      {"idle", both, true, false, false, 1},
      {"short disabled", shortBoth, false, false, false, 3},
      {"short pressed", shortBoth, true, true, true, 2},
      {"short hover", shortBoth, true, false, true, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
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

TEST(uiButton, UpdateMovesFramesByTheRateAndAStateChangeRestarts) {
  ButtonFixture f;
  f.button.rate = 100;
  f.button.setWidgetFlags(f.button.getWidgetFlags() | UIB_HOVER);
  f.button.render(0, 0);
  std::vector<int> frames;
  for (unsigned int ms : {250u, 60u, 100u, 100u, 50u}) {
    uiWidget::s_iDeltaTime = ms;
    f.button.update(0, 0);
    frames.push_back(f.button.getFrame());
  }
  EXPECT_EQ(frames, (std::vector<int> {2, 3, 0, 1, 1}));
  f.button.hover = true;
  f.button.render(0, 0);
  EXPECT_EQ(f.button.getFrame(), 0);

  // An animation without frames stays on frame 0 instead of dividing by nothing.
  f.button.setAnim(7);
  f.button.hover = false;
  f.button.render(0, 0);
  f.button.setFrame(2);
  f.button.rate = 10;
  f.button.update(0, 0);
  EXPECT_EQ(f.button.getFrame(), 0);
}

TEST(uiButton, ClickStartsAParticleBurstAtItsCentreUntilItDies) {
  ButtonFixture f;
  f.gfx.defineParticleSystem("sparks");
  f.button.setParticleSystem("sparks");
  f.click(15, 15);
  uiWidget::s_fDeltaTime = 0.25f;
  f.button.update(100, 200);
  f.button.render(0, 0);
  uiWidget::s_frameNumber += 6;
  f.click(15, 15);
  f.gfx.setParticleDead(1);
  f.button.update(0, 0);
  EXPECT_EQ(f.gfx.callsOf("createParticleSystemInstance"),
            (Lines {"createParticleSystemInstance name=ok file=sparks -> 1"}));
  EXPECT_EQ(f.gfx.callsOf("updateParticleSystem"),
            (Lines {"updateParticleSystem instance=1 x=120 y=215 seconds=0.25",
                    "updateParticleSystem instance=1 x=20 y=15 seconds=0.25"}));
  EXPECT_EQ(f.gfx.callsOf("psemit"), (Lines {"psemit depth=0 instance=1 opacity=1"}));
  EXPECT_EQ(f.gfx.callsOf("addEvent"),
            (Lines {"addEvent type=4 value=0 instance=1 value2=0 f=0 data=null"}));
  EXPECT_EQ(f.gfx.callsOf("releaseParticleSystemInstance"),
            (Lines {"releaseParticleSystemInstance name=ok"}));
  EXPECT_EQ(f.button.psysId, -1);
}

TEST(uiButton, KeysFlagsAndDefaultSounds) {
  LeakCheck leaks;
  CaptureLog log;
  log.expect("...unknown hotkey: \"^C00FF00KEY_F11^c\"\f");
  log.expect("...expected: \"^C00FF00hotkey = \"val\"^c\"\f");
  log.expect("...expected: \"^C00FF00clicksound = \"string\"^c\"\f");
  log.expect("...expected: \"^C00FF00particlesystem = \"string\"^c\"\f");
  log.expect("...expected: \"^C00FF00highlightsound = \"string\"^c\"\f");
  log.expect("Unknown flag: UIP_DONTUPDATE\f");
  uiButton::setDefaultSounds("tick", "buzz");
  Tree widget(parseWidget(R"(
    ok = uiButton
    {
      rate = 250
      hotkey = key_f3
      particlesystem = sparks
      highlightsound = hum
      hotkey = KEY_F11
      hotkey KEY_SPACE
      clicksound =
      particlesystem
      highlightsound
      flags = UIB_PRESSED | uib_hover | UIB_DONTDRAWIDLE | UIP_DONTUPDATE
    }
  )"));
  uiButton::setDefaultSounds("click", "highlight");
  ASSERT_TRUE(widget);
  auto* button = static_cast<uiButton*>(widget.get());
  EXPECT_EQ(button->rate, 250u);
  EXPECT_EQ(button->hotkey, 165);
  EXPECT_STREQ(button->psysName, "sparks");
  EXPECT_STREQ(button->clickSound, "tick");
  EXPECT_STREQ(button->highlightSound, "hum");
  EXPECT_EQ(widget->getWidgetFlags(), UIB_PRESSED | UIB_HOVER | UIB_DONTDRAWIDLE);
}
