#include "uiradiobutton.h"

#include "recordinggfx.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// The on state has its own animations in either layout; the short layout leaves idle undrawn. The
// frame is kept, and the particle burst is drawn even without the sprite.
TEST(uiRadioButton, DrawsTheOnStateFromEitherLayoutWithoutRestartingTheFrame) {
  const unsigned int normal = UIB_PRESSED | UIB_HOVER, shortLayout = normal | UIB_DONTDRAWIDLE;
  // The flags, the states, and the animation and frame drawn ("": the sprite is not drawn).
  struct Case { unsigned int layout; bool enabled, selected; const char* drawn; } cases[] = {
      {normal, true, true, "anim=6 frame=3"},   {normal, false, true, "anim=7 frame=3"},
      {UIB_HOVER, true, true, "anim=4 frame=3"}, {shortLayout, true, false, ""},
      {shortLayout, true, true, "anim=5 frame=3"},
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
    button.setFrame(3);
    gfx.clearCalls();
    button.render(0, 0);
    std::string drawn;
    for (const std::string& call : gfx.callsOf("blt"))
      drawn = call.substr(call.find("anim="), 14);
    EXPECT_EQ(drawn, c.drawn);
    EXPECT_EQ(gfx.callsOf("psemit").size(), 1u);
    gfx.releaseParticleSystemInstance(button.psysId);
  }
}
