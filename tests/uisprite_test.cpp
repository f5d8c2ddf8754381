#include "uisprite.h"

#include "widgettest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Frames = std::vector<int>;

// The frame after each of count updates of ms milliseconds.
Frames play(uiSprite& sprite, int count, unsigned int ms) {
  Frames frames;
  uiWidget::s_iDeltaTime = ms;
  for (int i = 0; i < count; ++i) {
    sprite.update(0, 0);
    frames.push_back(sprite.getFrame());
  }
  uiWidget::s_iDeltaTime = 0;
  return frames;
}

}  // namespace

// On "walk" at rate 100: animation 1 has four frames, animation 2 none, where the frame stays 0
// instead of dividing by nothing or going to -1.
TEST(uiSprite, PlaybackTiming) {
  RecordingGfx gfx;
  gfx.defineSprite("walk", 16, 16, 1, 4, 0);
  uiSprite sprite;
  sprite.setSprite("walk", 0, 0, true);
  sprite.setWidgetStates(true, true, false, false);
  sprite.rate = 100;
  sprite.setAnim(1, false, true, 0);
  EXPECT_EQ(play(sprite, 16, 30), (Frames {0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 3}));
  EXPECT_FALSE(sprite.animating);
  gfx.clearCalls();
  sprite.render(0, 0);
  EXPECT_TRUE(gfx.calls.empty()) << "a cleared sprite is not drawn once it has played";
  sprite.setAnim(1, true, false, 500);  // the timer restarts once the delay is over
  EXPECT_EQ(play(sprite, 8, 100), (Frames {0, 0, 0, 0, 0, 0, 1, 1}));
  EXPECT_EQ(play(sprite, 3, 1000), (Frames {2, 3, 0}));  // one frame per update, looping
  sprite.setAnim(2, true, true, 0);
  EXPECT_EQ(play(sprite, 2, 200), (Frames {0, 0}));
}
