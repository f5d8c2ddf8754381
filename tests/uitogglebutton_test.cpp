#include "uitogglebutton.h"

#include "widgettest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

bool yes(uiWidget*, void*, int, int) { return true; }
bool no(uiWidget*, void*, int, int) { return false; }
bool keyYes(uiWidget*, void*, int) { return true; }

// An enabled 40 x 20 toggle at (0, 0); activation creates whichever of its sprites are defined.
void setUp(uiToggleButton& button) {
  applyKeys(button, "sprite = off\nsprite2 = on\nwidth = 40\nheight = 20\nflags = UIB_PRESSED\n");
  button.setWidgetStates(true, true, true, false);
}

}  // namespace

TEST(uiToggleButton, FlipsExactlyWhenTheButtonReportsAnEventHandled) {
  const e_uiEvent down = UIE_MOUSEDOWN, up = UIE_MOUSEUP;
  struct Case {
    const char* what;
    uiPointCallback pressCb, releaseCb;
    std::vector<e_uiEvent> events;  // at (5, 5); a key down carries the hotkey
    bool flipped;
  } cases[] = {
      {"click, releaseCb true", nullptr, yes, {down, up}, true},
      {"click, releaseCb false", nullptr, no, {down, up}, false},
      {"click without callbacks", nullptr, nullptr, {down, up}, false},
      {"press, pressCb true", yes, nullptr, {down}, true},
      {"release without a press on it", nullptr, nullptr, {up}, true},
      {"press right after a click is swallowed", nullptr, no, {down, up, down}, true},
      {"hotkey, releaseCb true", nullptr, yes, {UIE_KEYDOWN}, true},
      {"hotkey without releaseCb (keyDownCb never sees it)", nullptr, nullptr, {UIE_KEYDOWN},
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    uiWidget::s_frameNumber = 100;
    uiToggleButton button;
    setUp(button);
    button.hotkey = 32;
    button.pressCb = c.pressCb;
    button.releaseCb = c.releaseCb;
    button.keyDownCb = keyYes;
    for (e_uiEvent event : c.events)
      button.inputEvent(event, 5, 5, 32, event == up, false);
    EXPECT_EQ(button.getToggle(), c.flipped);
  }
}

TEST(uiToggleButton, DrawsTheSecondSpriteWhileOnAndSwapsItOnlyAtActivation) {
  WidgetStage stage;
  RecordingGfx& gfx = stage.gfx;
  for (const char* sprite : {"off", "on", "lit"})
    gfx.defineSprite(sprite, 40, 20, 1, 1, 1, 1);
  {
    uiToggleButton button;
    setUp(button);
    button.toggle();
    button.pressed = true;
    button.render(0, 0);
    button.toggle();
    button.render(0, 0);
    EXPECT_TRUE(stage.sound.played.empty()) << "toggle() plays nothing";

    button.setToggle(true);
    applyKeys(button, "sprite2 = lit\n");
    button.render(0, 0);
    button.setActive(false, false);
    EXPECT_EQ(gfx.spriteUses("on"), 0) << "dynamic loading releases the second sprite";
    button.setActive(true, false);
    button.render(0, 0);
    EXPECT_EQ(gfx.callsOf("blt"), (std::vector<std::string> {
                                      "blt depth=0 sprite=2 x=0 y=0 anim=2 frame=0 alpha=255",
                                      "blt depth=0 sprite=1 x=0 y=0 anim=2 frame=0 alpha=255",
                                      "blt depth=0 sprite=2 x=0 y=0 anim=2 frame=0 alpha=255",
                                      "blt depth=0 sprite=3 x=0 y=0 anim=0 frame=0 alpha=255"}));
    uiToggleButton copy(button);
    EXPECT_EQ(gfx.spriteUses("lit"), 2) << "a copy takes its own use";
  }
  EXPECT_EQ(gfx.spriteUses("off"), 0);
  EXPECT_EQ(gfx.spriteUses("lit"), 0);
}
