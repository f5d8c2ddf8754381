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
  // Keys read on top of the rows before, the displayed value, the part drawn ("": nothing).
  struct Case { const char* keys; float displayed; const char* call; } cases[] = {
      {"", 50, "x=11 y=22 width=100 height=100"},
      {"vertical = true", 25, "x=11 y=97 srcX=0 srcY=75 width=200 height=25"},
      {"invert = true", 25, "x=11 y=22 width=200 height=75"},
      {"min_range = 50\nmax_range = 50", 50, ""},  // an empty range
  };
  RecordingGfx gfx;
  uiProgressBar bar;
  setUp(gfx, bar);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    applyKeys(bar, c.keys);
    bar.displayedValue = c.displayed;
    gfx.clearCalls();
    bar.render(1, 2);
    EXPECT_EQ(gfx.calls, *c.call ? std::vector<std::string> {std::string("blt depth=0 sprite=1 ") +
                                                             c.call + " anim=0 frame=0 alpha=255"}
                                 : std::vector<std::string> {});
  }
}

// The display closes a tenth of the distance each 20 ms and settles exactly; with rate 0 it jumps
// instead of dividing by zero.
TEST(uiProgressBar, SmoothDisplayClosesAFixedFractionAndSettlesExactly) {
  RecordingGfx gfx;
  uiProgressBar bar;
  setUp(gfx, bar);
  applyKeys(bar, "smooth = TRUE\n");
  uiWidget::s_iDeltaTime = 20;
  bar.setValue(100, false);
  std::vector<float> shown;
  for (int frames = 0; bar.displayedValue != 100.0f && frames < 100; ++frames) {
    EXPECT_FALSE(bar.isFull()) << "full only once the display arrives";
    bar.update(0, 0);
    shown.push_back(bar.displayedValue);
  }
  ASSERT_GT(shown.size(), 3u);
  EXPECT_EQ(std::vector<float>(shown.begin(), shown.begin() + 3),
            (std::vector<float> {10.0f, 19.0f, 27.1f}));
  EXPECT_TRUE(bar.isFull());
  bar.rate = 0;
  bar.setValue(70, false);
  bar.update(0, 0);
  EXPECT_EQ(bar.displayedValue, 70.0f);
  uiWidget::s_iDeltaTime = 0;
}

// The value key sets only the display; deltas add in 64 bits before the range holds them.
TEST(uiProgressBar, ValueStaysWithinTheRange) {
  CaptureLog log;
  log.expect("...expected: \"^C00FF00invert = BOOLEAN^c\"\f");
  uiProgressBar bar;
  applyKeys(bar, "VALUE = 140\nstep = 5\ninvert true\n");
  std::vector<int> values;
  bar.setValue(150, false);
  values.push_back(bar.value);
  bar.delta(-500);
  values.push_back(bar.value);
  bar.setValue(98, false);
  bar.step();
  bar.delta(INT_MAX);
  values.push_back(bar.value);
  bar.setRange(50, 10);  // reversed: the upper end wins
  bar.setValue(30, false);
  values.push_back(bar.value);
  EXPECT_EQ(values, (std::vector<int> {100, 0, 100, 10}));
  EXPECT_EQ(bar.displayedValue, 140.0f);
}

// Another thread steps the bar while the game's thread runs frames and steps it too; every step
// arrives.
TEST(uiProgressBar, StepsFromAnotherThreadAreNotLost) {
  RecordingGfx gfx;
  uiSubsystem ui;
  LeakCheck leaks;
  Tree widget(uiWidget::allocWidget("bar", "uiProgressBar"));
  auto* bar = static_cast<uiProgressBar*>(widget.get());
  setUp(gfx, *bar);
  bar->setRange(0, 1000000);
  ui.setTopLevelWidget(bar);
  std::atomic<bool> done {false};
  std::thread stepper([&] {
    for (int i = 0; i < 100000; ++i)
      bar->step();
    done = true;
  });
  int frames = 0;
  for (; !done || frames < 3; ++frames) {
    ui.render(16);
    for (int i = 0; i < 100; ++i)
      bar->step();
  }
  stepper.join();
  ui.render(16);
  EXPECT_EQ(bar->value, 100000 + frames * 100);
  EXPECT_EQ(bar->displayedValue, static_cast<float>(bar->value));
  ui.setTopLevelWidget(nullptr);
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
