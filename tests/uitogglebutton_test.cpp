#include "uitogglebutton.h"

#include "widgettest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

bool yes(uiWidget*, void*, int, int) { return true; }
bool no(uiWidget*, void*, int, int) { return false; }

// An enabled 40 x 20 toggle at (0, 0); activation creates whichever of its sprites are defined.
void setUp(uiToggleButton& button) {
  applyKeys(button, "sprite = off\nsprite2 = on\nwidth = 40\nheight = 20\nflags = UIB_PRESSED\n");
  button.setWidgetStates(true, true, true, false);
}

}  // namespace

// The toggle flips exactly when the button's own handling reports the event handled.
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
      {"press, pressCb true", yes, nullptr, {down}, true},
      {"release without a press on it", nullptr, nullptr, {up}, true},
      {"hotkey without releaseCb", nullptr, nullptr, {UIE_KEYDOWN}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    uiToggleButton button;
    setUp(button);
    button.hotkey = 32;
    button.pressCb = c.pressCb;
    button.releaseCb = c.releaseCb;
    for (e_uiEvent event : c.events)
      button.inputEvent(event, 5, 5, 32, event == up, false);
    EXPECT_EQ(button.getToggle(), c.flipped);
  }
}

// The second sprite is drawn while on; a new one takes effect at the next activation, and a copy
// takes its own use of it.
TEST(uiToggleButton, DrawsTheSecondSpriteWhileOnAndSwapsItOnlyAtActivation) {
  WidgetStage stage;
  for (const char* sprite : {"off", "on", "lit"})
    stage.gfx.defineSprite(sprite, 40, 20, 1, 1, 1, 1);
  {
    uiToggleButton button;
    setUp(button);
    button.setToggle(true);
    applyKeys(button, "sprite2 = lit\n");
    button.render(0, 0);
    button.setActive(false, false);
    EXPECT_EQ(stage.gfx.spriteUses("on"), 0);
    button.setActive(true, false);
    button.render(0, 0);
    std::string sprites;
    for (const std::string& call : stage.gfx.callsOf("blt"))
      sprites += call.substr(call.find("sprite="), 9);
    EXPECT_EQ(sprites, "sprite=2 sprite=3 ");
    uiToggleButton copy(button);
    EXPECT_EQ(stage.gfx.spriteUses("lit"), 2);
  }
  EXPECT_EQ(stage.gfx.spriteUses("off") + stage.gfx.spriteUses("lit"), 0);
}
