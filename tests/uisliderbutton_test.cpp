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

}  // namespace

// Values outside 0..1 are not held; equal limits read as 0 instead of dividing by zero.
TEST(uiSliderButton, ValueMapsTheThumbBetweenItsLimits) {
  RecordingGfx gfx;
  uiSliderButton slider;
  setUp(gfx, slider);
  for (auto c : {std::make_pair(0.25f, 35), std::make_pair(1.5f, 160)}) {
    SCOPED_TRACE(c.first);
    slider.setValue(c.first);
    EXPECT_EQ(slider.x * 1000 + slider.x2, c.second * 1000 + c.second + 20);
    EXPECT_FLOAT_EQ(slider.getValue(), c.first);
  }
  slider.maxX = slider.minX;
  slider.maxRight = slider.minX + 30;
  EXPECT_EQ(slider.getValue(), 0.0f);
}

// The thumb follows the edge the pointer passed, within the limits; a drag ends wherever the
// pointer is released, and a release without a drag reaches releaseCb only inside the thumb.
TEST(uiSliderButton, DragMovesTheEdgeThePointerPassedWithinTheLimits) {
  WidgetStage stage;
  uiSliderButton slider;
  setUp(stage.gfx, slider);
  slider.setValue(0.5f);
  std::vector<std::string> calls;
  slider.cbClient = &calls;
  slider.dragCb = [](uiWidget* w, void* client, int x, int) {
    static_cast<std::vector<std::string>*>(client)->push_back(
        "drag " + std::to_string(x) + " value " +
        std::to_string(static_cast<uiSliderButton*>(w)->getValue()).substr(0, 3));
    return true;
  };
  slider.releaseCb = [](uiWidget*, void* client, int x, int) {
    static_cast<std::vector<std::string>*>(client)->push_back("release " + std::to_string(x));
    return true;
  };
  struct Step {
    e_uiEvent event;
    int pointer, x;  // the thumb's left edge after the next update
    bool focused;    // the slider holds the input focus
  } steps[] = {
      {UIE_MOUSEDOWN, 70, 60, true},  {UIE_MOUSEMOVE, 40, 40, true},
      {UIE_MOUSEMOVE, 0, 10, true},   {UIE_MOUSEMOVE, 200, 110, true},
      {UIE_MOUSEUP, 300, 110, false}, {UIE_MOUSEUP, 300, 110, false},
      {UIE_MOUSEUP, 115, 110, false},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(std::to_string(s.event) + " at " + std::to_string(s.pointer));
    slider.inputEvent(s.event, s.pointer, 5, 0, false, false);
    slider.update(0, 0);
    EXPECT_EQ(slider.x * 1000 + slider.x2, s.x * 1000 + s.x + 20);
    EXPECT_EQ(stage.ui.getInputFocusWidget(), s.focused ? &slider : nullptr);
  }
  EXPECT_EQ(calls, (std::vector<std::string> {"drag 40 value 0.5", "drag 0 value 0.3",
                                              "drag 200 value 0.0", "release 300",
                                              "release 115"}));
}

TEST(uiSliderButton, MaxxBeforeTheSpriteIsReportedAndMeasuresWidthZero) {
  WidgetStage stage;
  stage.log.expect("...[slider:2] maxx needs the thumb's sprite: the ^C00FF00sprite^c line must "
                   "come first (using width 0)\f");
  uiSliderButton slider;
  uiCopyName(slider.name, "slider", sizeof(slider.name));
  applyKeys(slider, "minx = 10\nmaxx = 110\n");
  EXPECT_EQ(slider.maxRight, 110);
}
