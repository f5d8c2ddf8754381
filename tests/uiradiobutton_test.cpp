#include "uiradiobutton.h"

#include "recordinggfx.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(uiRadioButton, DrawsTheOnStateFromEitherLayoutWithoutRestartingTheFrame) {
  const unsigned int normal = UIB_PRESSED | UIB_HOVER;
  const unsigned int shortLayout = normal | UIB_DONTDRAWIDLE;
  struct Case {
    const char* what;
    unsigned int layout;
    bool enabled, selected, pressed, hover;
    int anim;  // -1: the sprite is not drawn
  } cases[] = {
      {"normal idle", normal, true, false, false, false, 4},
      {"normal hover", normal, true, false, false, true, 5},
      {"normal selected", normal, true, true, false, true, 6},
      {"normal pressed", normal, true, false, true, false, 6},
      {"normal disabled and selected", normal, false, true, false, false, 7},
      {"normal selected without UIB_PRESSED", UIB_HOVER, true, true, false, false, 4},
      {"short idle", shortLayout, true, false, false, false, -1},
      {"short hover", shortLayout, true, false, false, true, 4},
      {"short selected", shortLayout, true, true, false, false, 5},
      {"short disabled", shortLayout, false, false, false, false, 6},
      {"short hover without UIB_HOVER", shortLayout & ~UIB_HOVER, true, false, false, true, -1},
  };
  RecordingGfx gfx;
  gfx.defineSprite("radio", 16, 16, std::vector<int>(8, 4));
  gfx.defineParticleSystem("sparks");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    uiRadioButton button;
    button.setSprite("radio", 4, 0, false);
    button.setParticleSystem("sparks");
    button.x = 10;
    button.y = 20;
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
      expected.push_back("blt depth=0 sprite=1 x=110 y=220 anim=" + std::to_string(c.anim) +
                         " frame=3 alpha=255");
    EXPECT_EQ(gfx.callsOf("blt"), expected);
    EXPECT_EQ(gfx.callsOf("psemit").size(), 1u) << "the burst is drawn even without the sprite";
    gfx.releaseParticleSystemInstance(button.psysId);
  }
}
