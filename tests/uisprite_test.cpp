#include "uisprite.h"

#include "capturelog.h"
#include "recordinggfx.h"

#include "core.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

// Reads a block of keys into the widget, as the loader does after the header line.
void parseInto(uiWidget& widget, const std::string& block) {
  std::vector<char> buffer(block.begin(), block.end());
  buffer.push_back('\0');
  Parser parser(buffer.data());
  widget.parse(&parser, false);
}

// A sprite widget on "walk": animation 0 has one frame, animation 1 four.
struct SpriteFixture {
  RecordingGfx gfx;
  uiSprite sprite;

  SpriteFixture() {
    gfx.defineSprite("walk", 16, 16, 1, 4, 0);
    sprite.setSprite("walk", 0, 0, true);
    sprite.setWidgetStates(true, true, false, false);
    sprite.rate = 100;
  }

  // The frame after each of count updates of ms milliseconds.
  std::vector<int> play(int count, unsigned int ms) {
    std::vector<int> frames;
    uiWidget::s_iDeltaTime = ms;
    for (int i = 0; i < count; ++i) {
      sprite.update(0, 0);
      frames.push_back(sprite.getFrame());
    }
    return frames;
  }

  Lines drawn() {
    gfx.clearCalls();
    sprite.render(0, 0);
    return gfx.calls;
  }
};

}  // namespace

TEST(uiSprite, ChangesFrameAtTheFirstUpdatePastTheRateAndStopsOnTheLast) {
  SpriteFixture f;
  f.sprite.setAnim(1, false, true, 0);
  EXPECT_EQ(f.play(16, 30),
            (std::vector<int> {0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 3}));
  EXPECT_FALSE(f.sprite.animating);
  EXPECT_EQ(f.drawn(), Lines {});

  f.sprite.setAnim(1, false, false, 0);
  f.play(16, 30);
  EXPECT_EQ(f.drawn(), (Lines {"blt depth=0 sprite=1 x=0 y=0 anim=1 frame=3 alpha=255"}));
}

TEST(uiSprite, LoopingStartsAgainAndNeverStops) {
  SpriteFixture f;
  f.sprite.setAnim(1, true, true, 0);
  EXPECT_EQ(f.play(6, 101), (std::vector<int> {1, 2, 3, 0, 1, 2}));
  EXPECT_TRUE(f.sprite.animating);
}

TEST(uiSprite, StartDelayHoldsTheStartFrameThenTheTimerRestarts) {
  SpriteFixture f;
  f.sprite.setAnim(1, false, true, 500);
  EXPECT_EQ(f.play(7, 100), (std::vector<int> {0, 0, 0, 0, 0, 0, 1}));
  f.sprite.reset(false, 2, 0);
  EXPECT_EQ(f.drawn(), (Lines {"blt depth=0 sprite=1 x=0 y=0 anim=1 frame=2 alpha=255"}));
}

TEST(uiSprite, OneUpdateMovesAtMostOneFrame) {
  struct Case {
    const char* name;
    unsigned int rate, ms;
    std::vector<int> frames;
  };
  const Case cases[] = {
      {"long frame", 100, 1000, {1, 2}},
      {"rate 0", 0, 1, {1, 2}},
      {"no time", 0, 0, {0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SpriteFixture f;
    f.sprite.setAnim(1, true, true, 0);
    f.sprite.rate = c.rate;
    EXPECT_EQ(f.play(2, c.ms), c.frames);
  }
}

TEST(uiSprite, DisableFreezesHidesOrResumes) {
  SpriteFixture f;
  f.sprite.setAnim(1, false, true, 0);
  f.play(4, 30);
  f.sprite.disable(true, false);
  f.play(8, 30);
  EXPECT_EQ(f.drawn(), (Lines {"blt depth=0 sprite=1 x=0 y=0 anim=1 frame=1 alpha=255"}));
  f.sprite.disable(true, true);
  EXPECT_EQ(f.drawn(), Lines {});
  f.sprite.disable(false, false);
  EXPECT_EQ(f.play(4, 30), (std::vector<int> {1, 1, 1, 2}));
}

TEST(uiSprite, StoppedSpriteHoldsItsFade) {
  SpriteFixture f;
  f.sprite.setAnim(1, true, false, 0);
  f.sprite.disable(true, false);
  f.sprite.setAlpha(0, 100, 0, false);
  f.play(3, 100);
  EXPECT_EQ(f.sprite.getAlpha(), 255);
  f.sprite.disable(false, false);
  f.play(1, 50);
  EXPECT_EQ(f.sprite.getAlpha(), 127);
}

TEST(uiSprite, AnimationWithoutFramesStaysOnFrameZero) {
  SpriteFixture f;
  f.sprite.setAnim(2, true, true, 0);
  EXPECT_EQ(f.play(2, 200), (std::vector<int> {0, 0}));
  EXPECT_TRUE(f.sprite.animating);
  f.sprite.setAnim(2, false, true, 0);
  EXPECT_EQ(f.play(1, 200), (std::vector<int> {0}));
  EXPECT_FALSE(f.sprite.animating);
}

TEST(uiSprite, KeysAndTheirMessages) {
  RecordingGfx gfx;
  CaptureLog log;
  log.expect("...expected: \"^C00FF00loop = BOOLEAN^c\"\f");
  log.expect("...Expected: true or false\f");
  uiSprite sprite;
  parseInto(sprite, R"(
    {
      rate = 40
      Loop = TRUE
      clear = false
      loop false
      animate = maybe
      tilevertcount = 3
    }
  )");
  EXPECT_STREQ(sprite.getType(), "uiSprite");
  EXPECT_TRUE(sprite.isType("UIVISUALWIDGET"));
  EXPECT_EQ(sprite.rate, 40u);
  EXPECT_TRUE(sprite.looping);
  EXPECT_FALSE(sprite.clear);
  EXPECT_FALSE(sprite.animating);
  EXPECT_EQ(sprite.tileRows, 3);
}
