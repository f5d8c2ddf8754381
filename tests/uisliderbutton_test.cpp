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
  std::string seen;  // the callbacks, then the thumb's left edge and "f" while it holds the focus
  slider.cbClient = &seen;
  slider.dragCb = [](uiWidget* w, void* client, int x, int) {
    *static_cast<std::string*>(client) += "drag " + std::to_string(x) + " value " +
        std::to_string(static_cast<uiSliderButton*>(w)->getValue()).substr(0, 3) + " ";
    return true;
  };
  slider.releaseCb = [](uiWidget*, void* client, int x, int) {
    *static_cast<std::string*>(client) += "release " + std::to_string(x) + " ";
    return true;
  };
  const std::pair<e_uiEvent, int> steps[] = {
      {UIE_MOUSEDOWN, 70}, {UIE_MOUSEMOVE, 40}, {UIE_MOUSEMOVE, 0},   {UIE_MOUSEMOVE, 200},
      {UIE_MOUSEUP, 300},  {UIE_MOUSEUP, 300},  {UIE_MOUSEUP, 115}};
  for (const auto& step : steps) {
    slider.inputEvent(step.first, step.second, 5, 0, false, false);
    slider.update(0, 0);
    EXPECT_EQ(slider.x2, slider.x + 20);
    seen += std::to_string(slider.x) + (stage.ui.getInputFocusWidget() == &slider ? "f " : " ");
  }
  EXPECT_EQ(seen, "60f drag 40 value 0.5 40f drag 0 value 0.3 10f drag 200 value 0.0 110f "
                  "release 300 110 110 release 115 110 ");
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
