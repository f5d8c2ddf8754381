#include "uitogglebutton.h"

#include "capturelog.h"
#include "core.h"
#include "recordinggfx.h"
#include "recordingsound.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

void applyKeys(uiWidget& widget, const std::string& keys) {
  std::vector<char> buffer(keys.begin(), keys.end());
  buffer.push_back('\0');
  Parser parser(buffer.data());
  widget.parse(&parser, true);
}

bool answerTrue(uiWidget*, void*, int, int) {
  return true;
}

bool answerFalse(uiWidget*, void*, int, int) {
  return false;
}

bool keyTrue(uiWidget*, void*, int) {
  return true;
}

struct Event {
  e_uiEvent event;
  int x, y, key;
};

// An enabled 40 x 20 toggle at (0, 0) whose sprites, when defined, are created by activation.
void setUp(uiToggleButton& button) {
  applyKeys(button, "sprite = off\nsprite2 = on\nx = 0\ny = 0\nwidth = 40\nheight = 20\n");
  button.setWidgetStates(true, true, true, false);
}

}  // namespace

TEST(uiToggleButton, FlipsExactlyWhenTheButtonReportsAnEventHandled) {
  const int hotkey = 32;
  struct Case {
    const char* what;
    uiPointCallback pressCb, releaseCb;
    uiKeyCallback keyDownCb;
    std::vector<Event> events;
    bool flipped;
  } cases[] = {
      {"click, releaseCb true", nullptr, answerTrue, nullptr,
       {{UIE_MOUSEDOWN, 5, 5, 0}, {UIE_MOUSEUP, 5, 5, 0}}, true},
      {"click, releaseCb false", nullptr, answerFalse, nullptr,
       {{UIE_MOUSEDOWN, 5, 5, 0}, {UIE_MOUSEUP, 5, 5, 0}}, false},
      {"click without callbacks", nullptr, nullptr, nullptr,
       {{UIE_MOUSEDOWN, 5, 5, 0}, {UIE_MOUSEUP, 5, 5, 0}}, false},
      {"press, pressCb true", answerTrue, nullptr, nullptr, {{UIE_MOUSEDOWN, 5, 5, 0}}, true},
      {"release without a press on it", nullptr, nullptr, nullptr, {{UIE_MOUSEUP, 5, 5, 0}}, true},
      {"release outside", nullptr, answerTrue, nullptr, {{UIE_MOUSEUP, 50, 5, 0}}, false},
      {"press right after a click is swallowed", nullptr, answerFalse, nullptr,
       {{UIE_MOUSEDOWN, 5, 5, 0}, {UIE_MOUSEUP, 5, 5, 0}, {UIE_MOUSEDOWN, 5, 5, 0}}, true},
      {"key taken by keyDownCb", nullptr, nullptr, keyTrue, {{UIE_KEYDOWN, 5, 5, 65}}, true},
      {"hotkey, releaseCb true", nullptr, answerTrue, keyTrue, {{UIE_KEYDOWN, 90, 90, hotkey}},
       true},
      {"hotkey without releaseCb", nullptr, nullptr, keyTrue, {{UIE_KEYDOWN, 90, 90, hotkey}},
       false},
  };
  RecordingGfx gfx;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    uiWidget::s_frameNumber = 100;
    uiToggleButton button;
    setUp(button);
    button.hotkey = hotkey;
    button.pressCb = c.pressCb;
    button.releaseCb = c.releaseCb;
    button.keyDownCb = c.keyDownCb;
    for (const Event& e : c.events)
      button.inputEvent(e.event, e.x, e.y, e.key, e.event == UIE_MOUSEUP, false);
    EXPECT_EQ(button.getToggle(), c.flipped);
  }
}

TEST(uiToggleButton, DrawsTheSecondSpriteWhileOnAndHoldsOneUseOfEach) {
  RecordingGfx gfx;
  RecordingSound sound;
  gfx.defineSprite("off", 40, 20, 1, 1, 1, 1);
  gfx.defineSprite("on", 40, 20, 1, 1, 1, 1);
  {
    uiToggleButton button;
    applyKeys(button, "flags = UIB_PRESSED\n");
    setUp(button);
    EXPECT_EQ(gfx.spriteUses("on"), 1);
    button.toggle();
    button.pressed = true;
    button.render(0, 0);
    button.toggle();
    button.render(0, 0);
    EXPECT_EQ(gfx.callsOf("blt"), (std::vector<std::string> {
                                      "blt depth=0 sprite=2 x=0 y=0 anim=2 frame=0 alpha=255",
                                      "blt depth=0 sprite=1 x=0 y=0 anim=2 frame=0 alpha=255"}));
    EXPECT_TRUE(sound.played.empty()) << "toggle() plays nothing";
    EXPECT_EQ(button.getSpriteId(), gfx.spriteId("off"));

    uiToggleButton copy(button);
    EXPECT_EQ(gfx.spriteUses("on"), 2);
  }
  EXPECT_EQ(gfx.spriteUses("off"), 0);
  EXPECT_EQ(gfx.spriteUses("on"), 0);
  EXPECT_TRUE(gfx.failures.empty());
}

TEST(uiToggleButton, NewSecondSpriteTakesEffectAtTheNextActivation) {
  RecordingGfx gfx;
  gfx.defineSprite("off", 40, 20);
  gfx.defineSprite("on", 40, 20);
  gfx.defineSprite("lit", 40, 20);
  uiToggleButton button;
  setUp(button);
  button.setToggle(true);
  applyKeys(button, "sprite2 = lit\n");
  gfx.clearCalls();
  button.render(0, 0);
  EXPECT_EQ(gfx.callsOf("blt"),
            (std::vector<std::string> {"blt depth=0 sprite=2 x=0 y=0 anim=0 frame=0 alpha=255"}));

  button.setActive(false, false);
  EXPECT_EQ(gfx.spriteUses("on"), 0) << "dynamic loading releases the second sprite";
  button.setActive(true, false);
  gfx.clearCalls();
  button.render(0, 0);
  EXPECT_EQ(gfx.callsOf("blt"),
            (std::vector<std::string> {"blt depth=0 sprite=3 x=0 y=0 anim=0 frame=0 alpha=255"}));
}

TEST(uiToggleButton, MissingSecondSpriteDrawsNothingWhileOnButStillTakesInput) {
  RecordingGfx gfx;
  gfx.defineSprite("off", 40, 20);
  CaptureLog log;
  log.expect("...expected: \"^C00FF00sprite2 = \"val\"^c\"\f");
  uiToggleButton button;
  applyKeys(button, "sprite2 on\n");
  setUp(button);
  button.setToggle(true);
  gfx.clearCalls();
  button.render(0, 0);
  EXPECT_TRUE(gfx.callsOf("blt").empty());
  button.inputEvent(UIE_MOUSEUP, 5, 5, 0, true, false);
  EXPECT_FALSE(button.getToggle()) << "a release over it without a press flips it";
}
