#include "uisliderbutton.h"

#include "widgettest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A 20 x 10 thumb whose left edge may go from 10 to 110, so its right edge up to 130.
void setUp(RecordingGfx& gfx, uiSliderButton& slider) {
  gfx.defineSprite("thumb", 20, 10);
  applyKeys(slider, "sprite = thumb\nminx = 10\nmaxx = 110\n");
  slider.setInputFocus(true, false);
}

// What the callbacks saw; a release without a drag reaches releaseCb only inside the thumb.
struct Drag {
  std::vector<std::string> calls;
  uiSliderButton* slider = nullptr;
};

bool recordDrag(uiWidget*, void* client, int x, int y) {
  Drag* drag = static_cast<Drag*>(client);
  drag->calls.push_back("drag " + std::to_string(x) + "," + std::to_string(y) + " value " +
                        std::to_string(drag->slider->getValue()));
  return true;
}

bool recordRelease(uiWidget*, void* client, int x, int y) {
  static_cast<Drag*>(client)->calls.push_back("release " + std::to_string(x) + "," +
                                              std::to_string(y));
  return true;
}

}  // namespace

TEST(uiSliderButton, ValueMapsTheThumbBetweenItsLimits) {
  RecordingGfx gfx;
  uiSliderButton slider;
  setUp(gfx, slider);
  EXPECT_EQ(slider.maxRight, 130);
  struct Case {
    float value;
    int x;
  } cases[] = {{0.0f, 10}, {0.5f, 60}, {1.0f, 110}, {0.25f, 35}, {1.5f, 160}, {-0.5f, -40}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    slider.setValue(c.value);
    EXPECT_EQ(slider.x, c.x);
    EXPECT_EQ(slider.x2, c.x + 20);
    EXPECT_FLOAT_EQ(slider.getValue(), c.value);
  }

  slider.maxX = slider.minX;
  slider.maxRight = slider.minX + 20;
  EXPECT_EQ(slider.getValue(), 0.0f) << "no room to move";
  slider.maxRight = slider.minX + 30;
  EXPECT_EQ(slider.getValue(), 0.0f) << "limits equal, whatever the thumb's width";
}

TEST(uiSliderButton, DragMovesTheEdgeThePointerPassedWithinTheLimits) {
  WidgetStage stage;
  uiSliderButton slider;
  setUp(stage.gfx, slider);
  slider.hotkey = 32;
  slider.setValue(0.5f);
  Drag drag;
  drag.slider = &slider;
  slider.cbClient = &drag;
  slider.dragCb = recordDrag;
  slider.releaseCb = recordRelease;

  struct Step {
    e_uiEvent event;
    int pointer;
    int x;         // the thumb's left edge after the next update
    bool focused;  // the slider holds the input focus
  } steps[] = {
      {UIE_MOUSEDOWN, 70, 60, true},   {UIE_MOUSEMOVE, 75, 60, true},
      {UIE_MOUSEMOVE, 40, 40, true},   {UIE_MOUSEMOVE, 0, 10, true},
      {UIE_MOUSEMOVE, 200, 110, true}, {UIE_MOUSEMOVE, 120, 110, true},
      {UIE_KEYDOWN, 120, 110, true},   {UIE_MOUSEUP, 300, 110, false},
      {UIE_MOUSEMOVE, 50, 110, false}, {UIE_MOUSEUP, 300, 110, false},
      {UIE_MOUSEUP, 115, 110, false},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(std::to_string(s.event) + " at " + std::to_string(s.pointer));
    slider.inputEvent(s.event, s.pointer, 5, 32, false, false);
    slider.update(0, 0);
    EXPECT_EQ(slider.x, s.x);
    EXPECT_EQ(slider.x2, s.x + 20);
    EXPECT_EQ(stage.ui.getInputFocusWidget(), s.focused ? &slider : nullptr);
  }
  EXPECT_EQ(drag.calls, (std::vector<std::string> {
                            "drag 75,5 value 0.500000", "drag 40,5 value 0.500000",
                            "drag 0,5 value 0.300000", "drag 200,5 value 0.000000",
                            "drag 120,5 value 1.000000", "release 300,5", "release 115,5"}));
  EXPECT_TRUE(stage.sound.played.empty()) << "no highlight, click or hotkey";
}

TEST(uiSliderButton, MaxxBeforeTheSpriteIsReportedAndMeasuresWidthZero) {
  WidgetStage stage;
  stage.log.expect("...[slider:2] maxx needs the thumb's sprite: the ^C00FF00sprite^c line must come "
             "first (using width 0)\f");
  uiSliderButton slider;
  uiCopyName(slider.name, "slider", sizeof(slider.name));
  applyKeys(slider, "minx = 10\nmaxx = 110\n");
  EXPECT_EQ(slider.maxRight, 110);
  EXPECT_TRUE(slider.setActive()) << "maxx activates the slider";
}
