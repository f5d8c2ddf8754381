#include "uivisualwidget.h"

#include "widgettest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Lines = std::vector<std::string>;

// The sprite is made on activation and given back on deactivation unless loading is static; a
// copy holds its own use, so the two destructors release two.
TEST(uiVisualWidget, CreatesItsSpriteOnActivationAndReleasesItOnDeactivation) {
  RecordingGfx gfx;
  gfx.defineSprite("panel", 40, 30);
  {
    uiVisualWidget widget;
    widget.x = 5;
    widget.setSprite("panel", 0, 0, false);
    EXPECT_TRUE(gfx.calls.empty());
    widget.setActive(true, false);
    EXPECT_EQ(widget.x2 * 100 + widget.y2, 4530);  // sized from the frame at its own position
    widget.setActive(false, false);
    EXPECT_EQ(gfx.spriteUses("panel"), 0);
    widget.setActive(true, false);
    uiWidget::s_dynamicLoading = false;
    widget.setActive(false, false);
    uiWidget::s_dynamicLoading = true;
    EXPECT_EQ(gfx.spriteUses("panel"), 1);
    uiVisualWidget copy(widget);
    EXPECT_EQ(gfx.spriteUses("panel"), 2);
  }
  EXPECT_EQ(gfx.spriteUses("panel"), 0);
  EXPECT_TRUE(gfx.failures.empty());
}

// The fade waits out its delay (the time past it is dropped), then rests exactly on its target
// once its duration has passed instead of running beyond it.
TEST(uiVisualWidget, FadeWaitsForItsDelayAndStopsAtItsTarget) {
  uiVisualWidget widget;
  widget.setActive(true, false);
  widget.setAlpha(100, 1000, 600, false);
  std::vector<int> seen;
  uiWidget::s_iDeltaTime = 250;
  for (int step = 0; step < 8; ++step) {
    widget.update(0, 0);
    seen.push_back(widget.getAlpha());
  }
  uiWidget::s_iDeltaTime = 0;
  EXPECT_EQ(seen, (std::vector<int> {255, 255, 255, 216, 177, 138, 100, 100}));
}

// "alpha = 300" is held at 255, not wrapped to 44; a bad frame is reported and kept.
TEST(uiVisualWidget, KeysAreReadInFileOrderWithTheirMessages) {
  WidgetStage stage;
  stage.gfx.defineSprite("panel", 8, 8, 4);
  stage.log.expect("...expected: \"^C00FF00sprite = \"val\"^c\"\f");
  stage.log.expect("...frame is out of animation bounds.\f");
  Tree widget(parseWidget("panel = uiVisualWidget\n{\n frame = 2\n sprite = panel\n"
                          " tilevertcount = 2\n alpha = 300\n sprite =\n flags = WF_ACTIVE\n"
                          " frame = 9\n}\n"));
  ASSERT_TRUE(widget);
  auto* visual = static_cast<uiVisualWidget*>(widget.get());
  EXPECT_EQ(stage.gfx.calls, (Lines {"createSprite file=panel -> 1"}));
  EXPECT_EQ(std::vector<int>({visual->getFrame(), visual->tileRows, visual->getAlpha()}),
            std::vector<int>({9, 2, 255}));
}
