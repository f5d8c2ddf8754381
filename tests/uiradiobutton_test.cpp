#include "uiradiobutton.h"

#include "uiradiogroup.h"

#include "recordinggfx.h"
#include "recordingsound.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(uiRadioButton, DrawsTheOnStateFromEitherLayoutWithoutRestartingTheFrame) {
  const unsigned int normal = UIB_PRESSED | UIB_HOVER;
  const unsigned int shortLayout = UIB_PRESSED | UIB_HOVER | UIB_DONTDRAWIDLE;
  struct Case {
    const char* what;
    unsigned int layout;
    bool enabled, selected, pressed, hover;
    int anim;  // -1: no sprite drawn
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
      {"short hover without UIB_HOVER", UIB_PRESSED | UIB_DONTDRAWIDLE, true, false, false, true,
       -1},
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

TEST(uiRadioButton, SelectsOnAnyReleaseOverItButNotByHotkey) {
  RecordingGfx gfx;
  RecordingSound sound;
  uiRadioGroup* group = static_cast<uiRadioGroup*>(uiRadioGroup::s_allocator());
  uiRadioButton* button = static_cast<uiRadioButton*>(uiRadioButton::s_allocator());
  group->addChild(button, false);
  button->setValue(3);
  button->x2 = 20;
  button->y2 = 10;
  button->hotkey = 32;
  group->setWidgetStates(true, true, true, true);

  struct Step {
    const char* what;
    e_uiEvent event;
    int x, key;
    bool handled;
    bool selected;
  } steps[] = {
      {"release outside", UIE_MOUSEUP, 30, 0, false, false},
      {"release already handled", UIE_MOUSEUP, 5, 0, true, false},
      {"hotkey", UIE_KEYDOWN, 5, 32, false, false},
      {"press", UIE_MOUSEDOWN, 5, 0, false, false},
      {"release over it without a press", UIE_MOUSEUP, 5, 0, false, true},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    uiWidget::s_frameNumber += 100;
    group->setValue(-1);
    button->pressed = false;
    button->hover = false;
    sound.played.clear();
    bool result = button->inputEvent(s.event, s.x, 5, s.key, false, s.handled);
    EXPECT_EQ(button->isSelected(), s.selected);
    if (s.selected) {
      EXPECT_TRUE(result) << "swallowed by the button, without a click";
      ASSERT_EQ(sound.played.size(), 1u);
      EXPECT_EQ(sound.played[0].name, "highlight");
    }
  }
  delete group;
}
