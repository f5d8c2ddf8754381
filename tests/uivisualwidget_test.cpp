#include "uivisualwidget.h"

#include "capturelog.h"
#include "recordinggfx.h"
#include "testmemory.h"

#include "core.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

uiWidget* parseText(const std::string& text) {
  std::vector<char> buffer(text.begin(), text.end());
  buffer.push_back('\0');
  Parser parser(buffer.data());
  return uiWidget::parseObjHeader(&parser, nullptr);
}

// Runs one update of the widget alone with the given frame time.
void step(uiWidget& widget, unsigned int ms) {
  uiWidget::s_iDeltaTime = ms;
  widget.update(0, 0);
}

}  // namespace

TEST(uiVisualWidget, CreatesSpriteOnActivationAndReleasesItOnDeactivation) {
  CountingMemory memory;
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
    EXPECT_EQ(widget.getSpriteId(), 1);
    EXPECT_EQ(widget.x2, 45);
    EXPECT_EQ(widget.y2, 37);

    gfx.clearCalls();
    widget.setActive(false, false);
    EXPECT_EQ(gfx.calls, (Lines {"releaseSprite name=panel"}));
    EXPECT_EQ(widget.getSpriteId(), -1);

    widget.setActive(true, false);
    EXPECT_EQ(gfx.spriteUses("panel"), 1);

    uiWidget::s_dynamicLoading = false;
    widget.setActive(false, false);
    uiWidget::s_dynamicLoading = true;
    EXPECT_EQ(gfx.spriteUses("panel"), 1);
  }
  EXPECT_EQ(gfx.spriteUses("panel"), 0);
  EXPECT_TRUE(gfx.failures.empty());
}

TEST(uiVisualWidget, KeepsItsGivenSizeAndCopiesTakeTheirOwnSpriteUse) {
  RecordingGfx gfx;
  gfx.defineSprite("panel", 40, 30);
  {
    uiVisualWidget widget;
    widget.x2 = 100;
    widget.y2 = 8;
    widget.setSprite("panel", 0, 0, true);
    EXPECT_EQ(widget.x2, 100);
    EXPECT_EQ(widget.y2, 8);

    uiVisualWidget copy(widget);
    EXPECT_EQ(gfx.spriteUses("panel"), 2);
    copy.releaseSprite();
    copy.releaseSprite();
    EXPECT_EQ(gfx.spriteUses("panel"), 1);
    EXPECT_EQ(copy.getSpriteId(), -1);
    EXPECT_STREQ(copy.spriteName, "panel");
  }
  EXPECT_EQ(gfx.spriteUses("panel"), 0);
  EXPECT_TRUE(gfx.failures.empty());
}

TEST(uiVisualWidget, DrawsOneFrameOrAGridOfTiles) {
  struct Case {
    const char* name;
    int rows, columns, sortLevel;
    unsigned char alpha;
    Lines expected;
  };
  const Case cases[] = {
      {"single", 1, 1, -1, 255, {"blt depth=2 sprite=1 x=103 y=204 anim=1 frame=2 alpha=255"}},
      {"grid",
       2,
       3,
       -1,
       90,
       {"blt depth=2 sprite=1 x=103 y=204 anim=1 frame=2 alpha=90",
        "blt depth=2 sprite=1 x=113 y=204 anim=1 frame=2 alpha=90",
        "blt depth=2 sprite=1 x=123 y=204 anim=1 frame=2 alpha=90",
        "blt depth=2 sprite=1 x=103 y=224 anim=1 frame=2 alpha=90",
        "blt depth=2 sprite=1 x=113 y=224 anim=1 frame=2 alpha=90",
        "blt depth=2 sprite=1 x=123 y=224 anim=1 frame=2 alpha=90"}},
      {"no columns", 1, 0, -1, 255, {}},
      {"sorted",
       1,
       2,
       7,
       255,
       {"bltSort depth=2 sortLevel=7 sprite=1 x=103 y=204 anim=1 frame=2 alpha=255",
        "bltSort depth=2 sortLevel=7 sprite=1 x=113 y=204 anim=1 frame=2 alpha=255"}},
      {"transparent", 1, 1, -1, 0, {}},
  };
  RecordingGfx gfx;
  gfx.defineSprite("tile", 10, 20, 1, 4);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
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

TEST(uiVisualWidget, FadeWaitsForItsDelayThenRunsLinearly) {
  uiVisualWidget widget;
  widget.setActive(true, false);
  widget.setAlpha(0, 1000, 600, false);
  std::vector<int> seen;
  for (int i = 0; i < 8; ++i) {
    step(widget, 250);
    seen.push_back(widget.getAlpha());
  }
  // The time past the delay is dropped: the fade starts from 0 ms after the third step.
  EXPECT_EQ(seen, (std::vector<int> {255, 255, 255, 191, 127, 63, 0, 0}));
}

TEST(uiVisualWidget, FadeStopsAtTheTargetOnceItsTimeHasPassed) {
  uiVisualWidget widget;
  widget.setActive(true, false);
  widget.setAlpha(100, 1000, 0, false);
  std::vector<int> seen;
  for (unsigned int ms : {250u, 250u, 250u, 400u, 100u}) {
    step(widget, ms);
    seen.push_back(widget.getAlpha());
  }
  EXPECT_EQ(seen, (std::vector<int> {216, 177, 138, 100, 100}));

  // A fade started halfway through another one continues from where the alpha stands.
  widget.setAlpha(200, 1000, 0, false);
  widget.setAlpha(0, 100, 0, false);
  step(widget, 50);
  EXPECT_EQ(widget.getAlpha(), 50);
}

TEST(uiVisualWidget, AlphaReachesChildrenUnlessIgnored) {
  CountingMemory memory;
  uiWidget* parent = uiVisualWidget::s_allocator();
  uiVisualWidget* child = static_cast<uiVisualWidget*>(uiVisualWidget::s_allocator());
  ASSERT_TRUE(parent && child);
  parent->addChild(child, false);
  uiVisualWidget* visualParent = static_cast<uiVisualWidget*>(parent);

  parent->setAlpha(40, 0, 0, false);
  EXPECT_EQ(visualParent->getAlpha(), 40);
  EXPECT_EQ(child->getAlpha(), 255);

  parent->setAlpha(30, 0, 0, true);
  EXPECT_EQ(child->getAlpha(), 30);

  parent->setWidgetFlags(parent->getWidgetFlags() | WF_IGNORE_ALPHA);
  parent->setAlpha(200, 0, 0, true);
  EXPECT_EQ(visualParent->getAlpha(), 30);
  EXPECT_EQ(child->getAlpha(), 30);

  delete parent;
  EXPECT_EQ(memory.liveCount(9), 0u);
}

TEST(uiVisualWidget, AlphaTestLooksAtThePixelUnderThePoint) {
  RecordingGfx gfx;
  gfx.defineSprite("shape", 2, 2);
  gfx.setAlphaMask("shape", {"#.", ".#"});
  uiVisualWidget widget;
  widget.x = 10;
  widget.y = 10;
  widget.setWidgetFlags(WF_ALPHA_TEST);
  widget.setSprite("shape", 0, 0, true);
  EXPECT_EQ(gfx.calls, (Lines {"createSprite file=shape -> 1", "setupAlphaTestSprite sprite=1"}));
  EXPECT_TRUE(widget.testBounds(10, 10));
  EXPECT_FALSE(widget.testBounds(11, 10));
  EXPECT_TRUE(widget.testBounds(11, 11));

  // Without a sprite the rectangle decides.
  widget.releaseSprite();
  EXPECT_TRUE(widget.testBounds(11, 10));
  EXPECT_FALSE(widget.testBounds(12, 10));
}

TEST(uiVisualWidget, KeysAreReadInFileOrderWithTheirMessages) {
  CountingMemory memory;
  RecordingGfx gfx;
  gfx.defineSprite("panel", 8, 8, 4);
  {
    CaptureLog log;
    log.expect("...expected: \"^C00FF00sprite = \"val\"^c\"\f");
    log.expect("...expected: \"^C00FF00sprite = \"val\"^c\"\f");
    uiWidget* widget = parseText(R"(
      panel = uiVisualWidget
      {
        anim = 1
        frame = 2
        sprite = panel
        tilevertcount = 2
        TileHorzCount = 3
        sprite
        sprite =
      }
    )");
    ASSERT_NE(widget, nullptr);
    uiVisualWidget* visual = static_cast<uiVisualWidget*>(widget);
    EXPECT_STREQ(visual->spriteName, "panel");
    EXPECT_EQ(visual->anim, 1);
    EXPECT_EQ(visual->getFrame(), 2);
    EXPECT_EQ(visual->tileRows, 2);
    EXPECT_EQ(visual->tileColumns, 3);
    EXPECT_TRUE(gfx.calls.empty());
    delete widget;
  }
  {
    // Once the sprite exists the frame is checked against its animation, and kept.
    CaptureLog log;
    log.expect("...frame is out of animation bounds.\f");
    uiWidget* widget = parseText("bar = uiVisualWidget\n{\nsprite = panel\nflags = WF_ACTIVE\n"
                                 "frame = 9\n}\n");
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(static_cast<uiVisualWidget*>(widget)->getFrame(), 9);
    delete widget;
  }
  {
    // A sprite named after the activating line is not created.
    uiWidget* widget = parseText("late = uiVisualWidget\n{\nflags = WF_ACTIVE\nsprite = panel\n}\n");
    ASSERT_NE(widget, nullptr);
    EXPECT_TRUE(widget->setActive());
    EXPECT_EQ(static_cast<uiVisualWidget*>(widget)->getSpriteId(), -1);
    delete widget;
  }
  EXPECT_EQ(gfx.spriteUses("panel"), 0);
  EXPECT_EQ(memory.liveCount(9), 0u);
}

TEST(uiVisualWidget, AlphaKeyIsHeldWithinItsRange) {
  const std::pair<const char*, int> cases[] = {{"128", 128}, {"300", 255}, {"-5", 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    uiWidget* widget = parseText(std::string("a = uiVisualWidget\n{\nalpha = ") + c.first + "\n}\n");
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(static_cast<uiVisualWidget*>(widget)->getAlpha(), c.second);
    delete widget;
  }
}
