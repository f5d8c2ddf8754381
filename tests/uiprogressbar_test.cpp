#include "uiprogressbar.h"

#include "testmemory.h"
#include "widgettest.h"

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <string>
#include <thread>
#include <vector>

namespace {

// A 200 x 100 bar at (10, 20) with its sprite created, active and visible.
void setUp(RecordingGfx& gfx, uiProgressBar& bar) {
  gfx.defineSprite("bar", 200, 100);
  applyKeys(bar, "sprite = bar\nx = 10\ny = 20\nwidth = 200\nheight = 100\n");
  bar.setWidgetStates(true, true, false, false);
}

}  // namespace

TEST(uiProgressBar, DrawsThePartOfTheFrameThatMatchesTheDisplayedValue) {
  struct Case {
    const char* what;
    bool vertical, invert;
    int min, max;
    float displayed;
    const char* call;  // empty: nothing drawn
  } cases[] = {
      {"half", false, false, 0, 100, 50, "x=11 y=22 width=100 height=100"},
      {"beyond the range", false, false, 0, 100, 150, "x=11 y=22 width=200 height=100"},
      {"min not subtracted", false, false, 10, 20, 15, "x=11 y=22 width=200 height=100"},
      {"vertical quarter", true, false, 0, 100, 25,
       "x=11 y=97 srcX=0 srcY=75 width=200 height=25"},
      {"vertical empty", true, false, 0, 100, 0, "x=11 y=122 srcX=0 srcY=100 width=200 height=0"},
      {"inverted quarter", true, true, 0, 100, 25, "x=11 y=22 width=200 height=75"},
      {"inverted full", true, true, 0, 100, 100, "x=11 y=22 width=200 height=0"},
      {"empty range", false, false, 50, 50, 50, ""},
  };
  RecordingGfx gfx;
  uiProgressBar bar;
  setUp(gfx, bar);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    bar.vertical = c.vertical;
    bar.invert = c.invert;
    bar.setRange(c.min, c.max);
    bar.displayedValue = c.displayed;
    gfx.clearCalls();
    bar.render(1, 2);
    std::vector<std::string> expected;
    if (*c.call)
      expected.push_back(std::string("blt depth=0 sprite=1 ") + c.call +
                         " anim=0 frame=0 alpha=255");
    EXPECT_EQ(gfx.calls, expected);
  }
}

TEST(uiProgressBar, SmoothDisplayClosesAFixedFractionAndSettlesExactly) {
  RecordingGfx gfx;
  uiProgressBar bar;
  setUp(gfx, bar);
  applyKeys(bar, "smooth = TRUE\n");
  uiWidget::s_iDeltaTime = 20;
  bar.setValue(100, false);
  for (float expected : {10.0f, 19.0f, 27.1f}) {
    bar.update(0, 0);
    EXPECT_FLOAT_EQ(bar.displayedValue, expected);
  }
  for (int frames = 0; bar.displayedValue != 100.0f && frames < 100; ++frames) {
    EXPECT_FALSE(bar.isFull()) << "full only once the display arrives, never beyond";
    bar.update(0, 0);
  }
  EXPECT_TRUE(bar.isFull());
  bar.setValue(0, false);
  for (int frames = 0; bar.displayedValue > 0.0f && frames < 100; ++frames)
    bar.update(0, 0);
  EXPECT_EQ(bar.displayedValue, 0.0f) << "falling ends exactly at the value";

  struct Jump {
    const char* what;
    unsigned int rate, ms;
    bool smooth;
  } jumps[] = {
      {"a frame as long as the rate", 200, 200, true},
      {"rate 0", 0, 20, true},
  };
  for (const Jump& j : jumps) {
    SCOPED_TRACE(j.what);
    bar.rate = j.rate;
    bar.smooth = j.smooth;
    bar.setValue(0, true);
    bar.setValue(70, false);
    uiWidget::s_iDeltaTime = j.ms;
    bar.update(0, 0);
    EXPECT_EQ(bar.displayedValue, 70.0f);
  }
  uiWidget::s_iDeltaTime = 0;
}

TEST(uiProgressBar, ValueStaysWithinTheRangeWhileTheValueKeySetsOnlyTheDisplay) {
  CaptureLog log;
  log.expect("...expected: \"^C00FF00invert = BOOLEAN^c\"\f");
  uiProgressBar bar;
  applyKeys(bar, "VALUE = 140\nstep = 5\ninvert true\n");
  struct Step {
    const char* what;
    void (*apply)(uiProgressBar&);
    int value;
  } steps[] = {
      {"set above", [](uiProgressBar& b) { b.setValue(150, false); }, 100},
      {"delta below", [](uiProgressBar& b) { b.delta(-500); }, 0},
      {"step", [](uiProgressBar& b) { b.setValue(98, false); b.step(); }, 100},
      {"delta past INT_MAX", [](uiProgressBar& b) { b.delta(INT_MAX); }, 100},
      {"reversed range takes the upper end",
       [](uiProgressBar& b) { b.setRange(50, 10); b.setValue(30, false); }, 10},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    s.apply(bar);
    EXPECT_EQ(bar.value, s.value);
    EXPECT_EQ(bar.displayedValue, 140.0f);
  }
}

// Another thread steps the bar while the game's thread runs frames and steps it too; every step
// arrives, and the frames allocate nothing.
TEST(uiProgressBar, StepsFromAnotherThreadAreNotLost) {
  RecordingGfx gfx;
  CountingMemory memory;
  uiSubsystem ui;
  auto* bar = static_cast<uiProgressBar*>(uiWidget::allocWidget("bar", "uiProgressBar"));
  ASSERT_NE(bar, nullptr);
  setUp(gfx, *bar);
  bar->setRange(0, 1000000);
  ui.setTopLevelWidget(bar);

  const int steps = 100000;
  const int stepsPerFrame = 100;
  std::atomic<bool> started {false};
  std::atomic<bool> done {false};
  std::thread stepper([&] {
    started = true;
    for (int i = 0; i < steps; ++i)
      bar->step();
    done = true;
  });
  while (!started)
    std::this_thread::yield();
  memory.resetCalls();
  int frames = 0;
  for (; !done || frames < 3; ++frames) {
    ui.render(16);
    for (int i = 0; i < stepsPerFrame; ++i)
      bar->step();
  }
  stepper.join();
  ui.render(16);
  const int total = steps + frames * stepsPerFrame;
  EXPECT_EQ(memory.allocCalls(), 0);
  EXPECT_EQ(bar->value, total);
  EXPECT_EQ(bar->displayedValue, static_cast<float>(total));

  ui.setTopLevelWidget(nullptr);
  delete bar;
  EXPECT_EQ(memory.liveCount(9), 0u);
  EXPECT_EQ(memory.liveCount(0), 1u) << "only the UI manager's lock is left";
}

TEST(uiProgressBar, CopiesTakeTheirOwnLock) {
  CountingMemory memory;
  uiProgressBar bar;
  {
    uiProgressBar copy(bar);
    EXPECT_NE(copy.lock, bar.lock);
    copy = bar;
    EXPECT_EQ(memory.liveCount(0), 2u);
  }
  EXPECT_EQ(memory.liveCount(0), 1u);
}
