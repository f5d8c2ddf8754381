#include "uiradiobutton.h"

#include "recordinggfx.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// The on state has its own animations in either layout; the short layout leaves idle undrawn. The
// frame is kept, and the particle burst is drawn even without the sprite.
TEST(uiRadioButton, DrawsTheOnStateFromEitherLayoutWithoutRestartingTheFrame) {
  const unsigned int normal = UIB_PRESSED | UIB_HOVER;
  const unsigned int shortLayout = normal | UIB_DONTDRAWIDLE;
  struct Case {
    unsigned int layout;
    bool enabled, selected, pressed, hover;
    int anim;  // -1: the sprite is not drawn
  } cases[] = {
      {normal, true, true, false, true, 6},         {normal, false, true, false, false, 7},
      {UIB_HOVER, true, true, false, false, 4},     {shortLayout, true, false, false, false, -1},
      {shortLayout, true, true, false, false, 5},
  };
  RecordingGfx gfx;
  gfx.defineSprite("radio", 16, 16, std::vector<int>(8, 4));
  gfx.defineParticleSystem("sparks");
  for (const Case& c : cases) {
    SCOPED_TRACE(&c - cases);
    uiRadioButton button;
    button.setSprite("radio", 4, 0, false);
    button.setParticleSystem("sparks");
    button.flags = c.layout | WF_VISIBLE;
    button.setActive(true, false);
    button.setInputFocus(c.enabled, false);
    button.resetPsys();
    button.select(c.selected);
    button.pressed = c.pressed;
    button.hover = c.hover;
    button.setFrame(3);
    gfx.clearCalls();
    button.render(100, 200);
    std::vector<std::string> expected;
    if (c.anim != -1)
      expected.push_back("blt depth=0 sprite=1 x=100 y=200 anim=" + std::to_string(c.anim) +
                         " frame=3 alpha=255");
    EXPECT_EQ(gfx.callsOf("blt"), expected);
    EXPECT_EQ(gfx.callsOf("psemit").size(), 1u);
    gfx.releaseParticleSystemInstance(button.psysId);
  }
}
