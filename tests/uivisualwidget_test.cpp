#include "uivisualwidget.h"

#include "widgettest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

}  // namespace

TEST(uiVisualWidget, CreatesItsSpriteOnActivationAndReleasesItOnDeactivation) {
  RecordingGfx gfx;
  gfx.defineSprite("panel", 40, 30);
  {
    uiVisualWidget widget;
    widget.x = 5;
    widget.y = 7;
    widget.setSprite("panel", 0, 0, false);
    EXPECT_TRUE(gfx.calls.empty());
    widget.setActive(true, false);
    EXPECT_EQ(gfx.calls, (Lines {"createSprite file=panel -> 1"}));
    EXPECT_EQ(widget.x2, 45);  // sized from the frame at its own position
    EXPECT_EQ(widget.y2, 37);
    widget.setActive(false, false);
    EXPECT_EQ(gfx.spriteUses("panel"), 0);
    widget.setActive(true, false);
    EXPECT_EQ(gfx.spriteUses("panel"), 1);

    uiWidget::s_dynamicLoading = false;
    widget.setActive(false, false);
    uiWidget::s_dynamicLoading = true;
    EXPECT_EQ(gfx.spriteUses("panel"), 1);

    // A copy holds its own use, so the two destructors release two.
    uiVisualWidget copy(widget);
    EXPECT_EQ(gfx.spriteUses("panel"), 2);
  }
  EXPECT_EQ(gfx.spriteUses("panel"), 0);
  EXPECT_TRUE(gfx.failures.empty());
}

TEST(uiVisualWidget, DrawsOneFrameOrAGridOfTiles) {
  struct Case {
    int rows, columns, sortLevel;
    unsigned char alpha;
    Lines expected;
  };
  const Case cases[] = {
      {1, 1, -1, 255, {"blt depth=2 sprite=1 x=103 y=204 anim=1 frame=2 alpha=255"}},
      {2, 2, -1, 90,
       {"blt depth=2 sprite=1 x=103 y=204 anim=1 frame=2 alpha=90",
        "blt depth=2 sprite=1 x=113 y=204 anim=1 frame=2 alpha=90",
        "blt depth=2 sprite=1 x=103 y=224 anim=1 frame=2 alpha=90",
        "blt depth=2 sprite=1 x=113 y=224 anim=1 frame=2 alpha=90"}},
      {1, 1, 7, 255, {"bltSort depth=2 sortLevel=7 sprite=1 x=103 y=204 anim=1 frame=2 alpha=255"}},
      {1, 1, -1, 0, {}},
  };
  RecordingGfx gfx;
  gfx.defineSprite("tile", 10, 20, 1, 4);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.rows << "x" << c.columns << " sort " << c.sortLevel);
    uiVisualWidget widget;
    widget.x = 3;
    widget.y = 4;
    widget.setDepth(2u);
    widget.setSprite("tile", 1, 2, true);
    widget.tileRows = c.rows;
    widget.tileColumns = c.columns;
    widget.setSortLevel(c.sortLevel);
    widget.setAlpha(c.alpha, 0, 0, false);
    widget.setVisible(true, false);
    gfx.clearCalls();
    widget.render(100, 200);
    EXPECT_EQ(gfx.calls, c.expected);
  }
}

TEST(uiVisualWidget, FadeWaitsForItsDelayAndStopsAtItsTarget) {
  struct Case {
    unsigned char target;
    unsigned int delay;
    std::vector<unsigned int> steps;
    std::vector<int> alphas;
  };
  const Case cases[] = {
      // The time past the delay is dropped: the fade starts from 0 ms after the third step.
      {0, 600, {250, 250, 250, 250, 250, 250, 250}, {255, 255, 255, 191, 127, 63, 0}},
      // Past its duration the fade rests on the target instead of running beyond it.
      {100, 0, {250, 250, 250, 400, 100}, {216, 177, 138, 100, 100}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.target));
    uiVisualWidget widget;
    widget.setActive(true, false);
    widget.setAlpha(c.target, 1000, c.delay, false);
    std::vector<int> seen;
    for (unsigned int ms : c.steps) {
      uiWidget::s_iDeltaTime = ms;
      widget.update(0, 0);
      seen.push_back(widget.getAlpha());
    }
    EXPECT_EQ(seen, c.alphas);
  }
  uiVisualWidget ignoring;
  ignoring.setWidgetFlags(WF_IGNORE_ALPHA);
  ignoring.setAlpha(10, 0, 0, true);
  EXPECT_EQ(ignoring.getAlpha(), 255);
}

TEST(uiVisualWidget, KeysAreReadInFileOrderWithTheirMessages) {
  WidgetStage stage;
  RecordingGfx& gfx = stage.gfx;
  gfx.defineSprite("panel", 8, 8, 4);
  stage.log.expect("...expected: \"^C00FF00sprite = \"val\"^c\"\f");
  stage.log.expect("...expected: \"^C00FF00sprite = \"val\"^c\"\f");
  stage.log.expect("...frame is out of animation bounds.\f");
  uiWidget* widget = parseWidget(R"(
    panel = uiVisualWidget
    {
      anim = 1
      frame = 2
      sprite = panel
      tilevertcount = 2
      TileHorzCount = 3
      alpha = 300
      sprite
      sprite =
      anim = 0
      flags = WF_ACTIVE
      frame = 9
    }
  )");
  ASSERT_NE(widget, nullptr);
  auto* visual = static_cast<uiVisualWidget*>(widget);
  EXPECT_EQ(gfx.calls, (Lines {"createSprite file=panel -> 1"}));
  EXPECT_EQ(visual->getFrame(), 9);  // reported, and kept
  EXPECT_EQ(visual->tileRows, 2);
  EXPECT_EQ(visual->tileColumns, 3);
  EXPECT_EQ(visual->getAlpha(), 255);  // held within 0..255, not wrapped to 44
  delete widget;

  // A sprite named after the activating line is not created.
  widget = parseWidget("late = uiVisualWidget\n{\nflags = WF_ACTIVE\nsprite = panel\n}\n");
  ASSERT_NE(widget, nullptr);
  EXPECT_EQ(static_cast<uiVisualWidget*>(widget)->getSpriteId(), -1);
  delete widget;
  EXPECT_EQ(gfx.spriteUses("panel"), 0);
}
