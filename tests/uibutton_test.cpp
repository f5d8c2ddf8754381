#include "uibutton.h"

#include "uisubsystem.h"

#include "capturelog.h"
#include "recordinggfx.h"
#include "recordingsound.h"
#include "testmemory.h"

#include "core.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

uiWidget* parseText(const std::string& text) {
  std::vector<char> buffer(text.begin(), text.end());
  buffer.push_back('\0');
  Parser parser(buffer.data());
  return uiWidget::parseObjHeader(&parser, nullptr);
}

// A button named ok at (10, 10) on a 20 x 10 sprite of eight animations of four frames, installed
// as the top-level widget. The game's callbacks and the sounds go into one log, in order.
struct ButtonFixture {
  RecordingGfx gfx;
  RecordingSound sound;
  uiSubsystem ui;
  uiButton button;
  Lines heard;
  bool releaseResult = true;

  ButtonFixture() {
    gfx.defineSprite("btn", 20, 10, 4, 4, 4, 4, 4, 4, 4, 0);
    uiCopyName(button.name, "ok", sizeof(button.name));
    button.x = 10;
    button.y = 10;
    button.setSprite("btn", 0, 0, false);
    button.setWidgetStates(true, true, true, false);
    _WidgetMap_s callbacks {};
    callbacks.pressCb = &ButtonFixture::onPress;
    callbacks.releaseCb = &ButtonFixture::onRelease;
    callbacks.keyDownCb = &ButtonFixture::onKeyDown;
    button.assignCallbacks(&callbacks, this);
    ui.setTopLevelWidget(&button);
    uiWidget::s_frameNumber = 100;
  }
  ~ButtonFixture() {
    while (ui.getInputFocusWidget())
      ui.popInputFocusWidget();
  }

  // The sounds played so far, then the callbacks, in the order they happened.
  Lines events() {
    _takeSounds();
    return heard;
  }
  void _takeSounds() {
    for (; soundsTaken < sound.played.size(); ++soundsTaken)
      heard.push_back("sound " + sound.played[soundsTaken].name);
  }
  size_t soundsTaken = 0;

  static bool onPress(uiWidget*, void* client, int x, int y) {
    auto* f = static_cast<ButtonFixture*>(client);
    f->_takeSounds();
    f->heard.push_back("press " + std::to_string(x) + " " + std::to_string(y));
    return true;
  }
  static bool onRelease(uiWidget*, void* client, int x, int y) {
    auto* f = static_cast<ButtonFixture*>(client);
    f->_takeSounds();
    f->heard.push_back("release " + std::to_string(x) + " " + std::to_string(y));
    return f->releaseResult;
  }
  static bool onKeyDown(uiWidget*, void* client, int key) {
    auto* f = static_cast<ButtonFixture*>(client);
    f->_takeSounds();
    f->heard.push_back("keydown " + std::to_string(key));
    return true;
  }

  int drawnAnim() {
    gfx.clearCalls();
    button.render(0, 0);
    Lines blts = gfx.callsOf("blt");
    if (blts.empty())
      return -1;
    std::string line = blts.front();
    return std::stoi(line.substr(line.find("anim=") + 5));
  }
};

}  // namespace

TEST(uiButton, ClickPlaysItsSoundBeforeTheReleaseCallback) {
  ButtonFixture f;
  f.ui.inputEvent(UIE_MOUSEMOVE, 15, 15, 0);
  f.ui.inputEvent(UIE_MOUSEDOWN, 15, 15, 0);
  EXPECT_EQ(f.ui.getInputFocusWidget(), &f.button);
  EXPECT_TRUE(f.button.pressed);
  f.ui.inputEvent(UIE_MOUSEUP, 16, 17, 0);
  EXPECT_EQ(f.events(),
            (Lines {"sound highlight", "press 15 15", "sound click", "release 16 17"}));
  EXPECT_EQ(f.ui.getInputFocusWidget(), nullptr);
  EXPECT_FALSE(f.button.pressed);
  EXPECT_EQ(f.button.lastClickFrame, 100);
}

TEST(uiButton, LeavingBeforeTheReleaseCancelsTheClick) {
  ButtonFixture f;
  f.ui.inputEvent(UIE_MOUSEDOWN, 15, 15, 0);
  f.ui.inputEvent(UIE_MOUSEMOVE, 50, 50, 0);
  EXPECT_FALSE(f.button.pressed);
  EXPECT_FALSE(f.button.isHovering());
  EXPECT_EQ(f.ui.getInputFocusWidget(), &f.button);
  f.ui.inputEvent(UIE_MOUSEMOVE, 15, 15, 0);
  EXPECT_FALSE(f.button.pressed);
  // The release over the button is swallowed: no click, no callback.
  EXPECT_TRUE(f.button.inputEvent(UIE_MOUSEUP, 15, 15, 0, true, false));
  EXPECT_EQ(f.events(), (Lines {"sound highlight", "press 15 15", "sound highlight"}));
  EXPECT_EQ(f.ui.getInputFocusWidget(), nullptr);
}

TEST(uiButton, ReleaseOutsideLeavesTheFocusStack) {
  ButtonFixture f;
  f.ui.inputEvent(UIE_MOUSEDOWN, 15, 15, 0);
  f.ui.inputEvent(UIE_MOUSEUP, 80, 80, 0);
  EXPECT_EQ(f.ui.getInputFocusWidget(), nullptr);
  EXPECT_EQ(f.ui.focusStack, nullptr);
  EXPECT_FALSE(f.button.pressed);
  EXPECT_FALSE(f.button.isHovering());
  EXPECT_EQ(f.events(), (Lines {"sound highlight", "press 15 15"}));
}

TEST(uiButton, PressWithinFiveFramesOfAClickIsSwallowed) {
  for (unsigned long long later = 0; later <= 6; ++later) {
    SCOPED_TRACE(later);
    ButtonFixture f;
    f.ui.inputEvent(UIE_MOUSEDOWN, 15, 15, 0);
    f.ui.inputEvent(UIE_MOUSEUP, 15, 15, 0);
    f.events();
    f.heard.clear();
    uiWidget::s_frameNumber += later;
    bool handled = f.button.inputEvent(UIE_MOUSEDOWN, 15, 15, 0, false, false);
    EXPECT_TRUE(handled);
    bool passed = later > 5;
    EXPECT_EQ(f.button.pressed, passed);
    EXPECT_EQ(f.ui.getInputFocusWidget(), passed ? &f.button : nullptr);
    EXPECT_EQ(f.events(), passed ? Lines {"press 15 15"} : Lines {});
  }
}

TEST(uiButton, HotkeyIsACompleteClickAtTheTopLeftCorner) {
  ButtonFixture f;
  f.button.hotkey = 32;
  f.ui.inputEvent(UIE_MOUSEMOVE, 90, 90, 0);
  f.ui.inputEvent(UIE_KEYDOWN, 0, 0, 32);
  EXPECT_EQ(f.events(), (Lines {"sound highlight", "sound click", "release 10 10"}));
  EXPECT_EQ(f.ui.getInputFocusWidget(), nullptr);

  // Other keys reach keyDownCb only while the pointer is over the button.
  f.heard.clear();
  f.ui.inputEvent(UIE_KEYDOWN, 0, 0, 65);
  EXPECT_EQ(f.events(), Lines {});
  f.ui.inputEvent(UIE_MOUSEMOVE, 12, 12, 0);
  f.ui.inputEvent(UIE_KEYDOWN, 0, 0, 65);
  EXPECT_EQ(f.events(), (Lines {"sound highlight", "keydown 65"}));
}

TEST(uiButton, DisableDropsThePressAndLeavesTheFocusStack) {
  ButtonFixture f;
  f.ui.inputEvent(UIE_MOUSEDOWN, 15, 15, 0);
  f.button.disable();
  EXPECT_FALSE(f.button.getInputFocus());
  EXPECT_FALSE(f.button.pressed);
  EXPECT_FALSE(f.button.isHovering());
  EXPECT_EQ(f.ui.getInputFocusWidget(), nullptr);
  f.ui.inputEvent(UIE_MOUSEUP, 15, 15, 0);
  EXPECT_EQ(f.events(), (Lines {"sound highlight", "press 15 15"}));
  f.button.enable();
  EXPECT_TRUE(f.button.getInputFocus());
}

TEST(uiButton, StateAnimationOffsetsOfBothLayouts) {
  struct Case {
    const char* name;
    unsigned int flags;
    bool pressed, hover;
    int anim;  // base animation 1
  };
  const unsigned int both = UIB_PRESSED | UIB_HOVER;
  const unsigned int shortBoth = both | UIB_DONTDRAWIDLE;
  const Case cases[] = {
      {"disabled", both, true, true, 4},
      {"pressed", both, true, true, 3},
      {"pressed without its animation", UIB_HOVER, true, true, 2},
      {"hover", both, false, true, 2},
      {"hover without its animation", UIB_PRESSED, false, true, 1},
      {"idle", both, false, false, 1},
      {"short disabled", shortBoth, false, false, 3},
      {"short pressed", shortBoth, true, true, 2},
      {"short hover", shortBoth, false, true, 1},
      {"short idle", shortBoth, false, false, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ButtonFixture f;
    f.button.setAnim(1);
    bool disabled = std::string(c.name).find("disabled") != std::string::npos;
    f.button.setWidgetFlags(c.flags | WF_VISIBLE | WF_ACTIVE | (disabled ? 0u : static_cast<unsigned int>(WF_INPUT_FOCUS)));
    f.button.pressed = c.pressed;
    f.button.hover = c.hover;
    EXPECT_EQ(f.drawnAnim(), c.anim);
  }
}

TEST(uiButton, UpdateMovesFramesByTheRateAndAStateChangeRestarts) {
  ButtonFixture f;
  f.button.rate = 100;
  f.button.setWidgetFlags(f.button.getWidgetFlags() | UIB_HOVER);
  f.drawnAnim();
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
  EXPECT_EQ(f.button.frameTimer, 0u);

  // A rate of 0 never moves the frame; an animation without frames stays on frame 0.
  f.button.rate = 0;
  f.button.update(0, 0);
  EXPECT_EQ(f.button.getFrame(), 0);
  f.button.setAnim(7);
  f.button.hover = false;
  f.drawnAnim();
  f.button.setFrame(2);
  f.button.rate = 10;
  f.button.update(0, 0);
  EXPECT_EQ(f.button.getFrame(), 0);
}

TEST(uiButton, ClickStartsAParticleBurstAtItsCentreUntilItDies) {
  ButtonFixture f;
  f.gfx.defineParticleSystem("sparks");
  f.button.setParticleSystem("sparks");
  f.ui.inputEvent(UIE_MOUSEDOWN, 15, 15, 0);
  f.ui.inputEvent(UIE_MOUSEUP, 15, 15, 0);
  EXPECT_EQ(f.gfx.callsOf("createParticleSystemInstance"),
            (Lines {"createParticleSystemInstance name=ok file=sparks -> 1"}));

  uiWidget::s_iDeltaTime = 20;
  f.button.update(100, 200);
  Lines updates = f.gfx.callsOf("updateParticleSystem");
  ASSERT_EQ(updates.size(), 1u);
  EXPECT_EQ(updates[0].rfind("updateParticleSystem instance=1 x=120 y=215 ", 0), 0u);
  f.gfx.clearCalls();
  f.button.render(0, 0);
  ASSERT_EQ(f.gfx.calls.size(), 2u);
  EXPECT_EQ(f.gfx.calls[1].rfind("psemit depth=0 instance=1 opacity=1", 0), 0u);

  uiWidget::s_frameNumber += 6;
  f.ui.inputEvent(UIE_MOUSEDOWN, 15, 15, 0);
  f.ui.inputEvent(UIE_MOUSEUP, 15, 15, 0);
  EXPECT_EQ(f.gfx.callsOf("addEvent"),
            (Lines {"addEvent type=4 value=0 instance=1 value2=0 f=0 data=null"}));
  EXPECT_TRUE(f.gfx.callsOf("createParticleSystemInstance").empty());

  f.gfx.setParticleDead(1);
  f.button.update(0, 0);
  EXPECT_EQ(f.gfx.callsOf("releaseParticleSystemInstance"),
            (Lines {"releaseParticleSystemInstance name=ok"}));
  EXPECT_EQ(f.button.psysId, -1);
  EXPECT_TRUE(f.gfx.failures.empty());
}

TEST(uiButton, DefaultSoundsApplyToButtonsMadeAfterwards) {
  CountingMemory memory;
  uiWidget* before = uiButton::s_allocator();
  uiButton::setDefaultSounds("tick", "buzz");
  uiWidget* after = uiButton::s_allocator();
  uiButton::setDefaultSounds("click", "highlight");
  ASSERT_TRUE(before && after);
  EXPECT_STREQ(static_cast<uiButton*>(before)->clickSound, "click");
  EXPECT_STREQ(static_cast<uiButton*>(after)->clickSound, "tick");
  EXPECT_STREQ(static_cast<uiButton*>(after)->highlightSound, "buzz");
  delete before;
  delete after;
  EXPECT_EQ(memory.liveCount(9), 0u);
}

TEST(uiButton, HotkeyNames) {
  const std::pair<const char*, int> cases[] = {
      {"KEY_SPACE", 32}, {"key_backspace", 127}, {"KEY_F1", 163},  {"KEY_F2", 164},
      {"KEY_F9", 171},   {"Key_F10", 172},       {"KEY_ESCAPE", 27}, {"KEY_ENTER", 13},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    uiWidget* widget = parseText(std::string("b = uiButton\n{\nhotkey = ") + c.first + "\n}\n");
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(static_cast<uiButton*>(widget)->hotkey, c.second);
    delete widget;
  }
}

TEST(uiButton, KeysAndFlagsWithTheirMessages) {
  CountingMemory memory;
  CaptureLog log;
  log.expect("...unknown hotkey: \"^C00FF00KEY_F11^c\"\f");
  log.expect("...expected: \"^C00FF00hotkey = \"val\"^c\"\f");
  log.expect("...expected: \"^C00FF00clicksound = \"string\"^c\"\f");
  log.expect("...expected: \"^C00FF00particlesystem = \"string\"^c\"\f");
  log.expect("...expected: \"^C00FF00highlightsound = \"string\"^c\"\f");
  log.expect("Unknown flag: UIP_DONTUPDATE\f");
  uiWidget* widget = parseText(R"(
    ok = uiButton
    {
      rate = 250
      hotkey = key_f3
      particlesystem = sparks
      clicksound = snap
      highlightsound = hum
      hotkey = KEY_F11
      hotkey KEY_SPACE
      clicksound =
      particlesystem
      highlightsound
      flags = UIB_PRESSED | uib_hover | UIB_DONTDRAWIDLE | UIP_DONTUPDATE | WF_VISIBLE
      anim = 2
    }
  )");
  ASSERT_NE(widget, nullptr);
  uiButton* button = static_cast<uiButton*>(widget);
  EXPECT_EQ(button->rate, 250u);
  EXPECT_EQ(button->hotkey, 165);
  EXPECT_STREQ(button->psysName, "sparks");
  EXPECT_STREQ(button->clickSound, "snap");
  EXPECT_STREQ(button->highlightSound, "hum");
  EXPECT_EQ(widget->getWidgetFlags(), UIB_PRESSED | UIB_HOVER | UIB_DONTDRAWIDLE | WF_VISIBLE);
  EXPECT_EQ(button->anim, 2);
  EXPECT_TRUE(widget->isType("uivisualwidget"));
  EXPECT_FALSE(widget->isType("uiSprite"));
  delete widget;
  EXPECT_EQ(memory.liveCount(9), 0u);
}
