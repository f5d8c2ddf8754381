#include "uisprite.h"

#include "widgettest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A sprite widget on "walk" at rate 100: animation 1 has four frames, animation 2 none.
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

  bool drawn() {
    gfx.clearCalls();
    sprite.render(0, 0);
    return !gfx.calls.empty();
  }
};

}  // namespace

TEST(uiSprite, PlaybackTiming) {
  using Frames = std::vector<int>;
  SpriteFixture f;
  f.sprite.setAnim(1, false, true, 0);
  EXPECT_EQ(f.play(16, 30), (Frames {0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 3}));
  EXPECT_FALSE(f.sprite.animating);
  EXPECT_FALSE(f.drawn());

  f.sprite.setAnim(1, true, false, 500);  // the timer restarts once the delay is over
  EXPECT_EQ(f.play(8, 100), (Frames {0, 0, 0, 0, 0, 0, 1, 1}));
  EXPECT_EQ(f.play(3, 1000), (Frames {2, 3, 0}));  // one frame per update, looping

  f.sprite.disable(true, false);
  EXPECT_EQ(f.play(2, 200), (Frames {0, 0}));
  EXPECT_TRUE(f.drawn());
  f.sprite.disable(true, true);
  EXPECT_FALSE(f.drawn());

  // No frames: the frame stays 0 instead of dividing by nothing or going to -1.
  f.sprite.setAnim(2, true, true, 0);
  EXPECT_EQ(f.play(2, 200), (Frames {0, 0}));
  f.sprite.loop(false);
  EXPECT_EQ(f.play(1, 200), (Frames {0}));
  EXPECT_FALSE(f.sprite.animating);
}

TEST(uiSprite, KeysAndTheirMessages) {
  CaptureLog log;
  log.expect("...expected: \"^C00FF00loop = BOOLEAN^c\"\f");
  log.expect("...Expected: true or false\f");
  uiSprite sprite;
  applyKeys(sprite, "rate = 40\nLoop = TRUE\nclear = false\nloop false\nanimate = maybe\n"
                    "tilevertcount = 3\n");
  EXPECT_EQ(sprite.rate, 40u);
  EXPECT_TRUE(sprite.looping);
  EXPECT_FALSE(sprite.clear);
  EXPECT_FALSE(sprite.animating);
  EXPECT_EQ(sprite.tileRows, 3);
}
