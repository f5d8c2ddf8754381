#include "demogame.h"
#include "demoscript.h"
#include "uisubsystem.h"

#include "softgfx.h"
#include "softsound.h"

#include "capturelog.h"
#include "testmemory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

// A short run of the demo's front end, at 50 ms a frame: the options (a name typed, sound
// switched off), the sector select (a locked sector clicked, then an open one), a flight, and
// the pause menu.
const char k_timeline[] = R"(
0    move 400 470
52   move 190 318
54   click
72   move 560 238
73   click
74   type ace
77   key ENTER
80   move 706 286
82   click
86   key ESCAPE
92   move 190 256
94   click
114  move 556 326
115  click
118  move 244 224
120  click
132  key ESCAPE
140  end
)";

// What the game must hear, in this order; other lines may come between. Sector 8, which is
// locked, is never heard, and with sound effects off no sound is.
const char* const k_heard[] = {
    "loader  front end built on the loader's thread:",
    "sound   highlight",
    "game    pilot name ACE",
    "game    sound effects off",
    "game    options: pilot ACE, sound off, NORMAL, music 70%",
    "release levels.sectors.sector1",
    "key     ESCAPE in flight",
    "dialog  pause idle",
};

}  // namespace

// The whole front end loads and runs without a single log message and frees all it took. What
// the game hears does not depend on the pictures, so the frames are one row high.
TEST(demoGame, ShortRunIsHeardInOrder) {
  CaptureLog log;
  CountingMemory memory;
  std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(UI_DEMO_DATA);  // the demo reads its files from its own folder
  softGfx gfx(800, 1);
  gfx.addSearchPath("art");
  g_gfx = &gfx;
  softSound sound;
  std::vector<std::string> heard;
  {
    uiSubsystem ui;
    ui.initialize(nullptr);
    demoGame game(sound);
    demoScript script;
    EXPECT_TRUE(script.parse(k_timeline, "timeline"));
    EXPECT_TRUE(game.start());
    for (unsigned int frame = 0; frame <= script.lastFrame(); ++frame) {
      game.beginFrame(frame);
      script.dispatch(frame, ui);
      game.update();
      gfx.beginFrame(0.05f);
      ui.render(50);
      gfx.endFrame();
      game.endFrame();
    }
    heard = game.transcript();
    ui.shutdown();
  }
  g_gfx = nullptr;
  std::filesystem::current_path(previous);

  size_t next = 0;
  bool soundOff = false;
  std::string all;
  for (const std::string& line : heard) {
    if (next < std::size(k_heard) && line.find(k_heard[next]) != std::string::npos)
      ++next;
    EXPECT_EQ(line.find("levels.sectors.sector8"), std::string::npos);
    EXPECT_FALSE(soundOff && line.find("sound   ") == 0) << line;
    soundOff = soundOff || line.find("sound effects off") != std::string::npos;
    all += line + "\n";
  }
  EXPECT_EQ(next, std::size(k_heard)) << "not heard in order: \"" << k_heard[next]
                                      << "\"; heard:\n" << all;
  EXPECT_EQ(memory.liveCount(9) + memory.liveCount(0), 0u);
}
