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

// What the game must hear, in order, over the demo's own script at 16 ms a frame.
const char* const k_heard[] = {
    "loader  front end built on the loader's thread: 110 widgets",
    "game    sound effects off",
    "game    options: pilot MAVERICK, sound on, HARD, music 34%",
    "game    paused at score 3000",
    "game    resumed",
    "game    flight over with score 4200",
    "game    quit chosen: the game would close now",
};

}  // namespace

// The whole front end loads and runs without a single log message and frees all it took; with
// sound effects off no sound plays, and the locked sector takes no click. What the game hears
// does not depend on the pictures, so the frames are one row high.
TEST(demoGame, TheDemosRunIsHeardInOrder) {
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
    EXPECT_TRUE(script.load("demo.script"));
    EXPECT_TRUE(game.start());
    for (unsigned int frame = 0; frame <= script.lastFrame(); ++frame) {
      game.beginFrame(frame);
      script.dispatch(frame, ui);
      game.update();
      gfx.beginFrame(0.016f);
      ui.render(16);
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
    EXPECT_FALSE(soundOff && line.find("sound   ") == 0) << line;
    EXPECT_EQ(line.find("sector8"), std::string::npos) << "a locked sector was chosen";
    if (line.find("game    sound effects o") == 0)
      soundOff = line.find("off") != std::string::npos;
    all += line + "\n";
  }
  EXPECT_EQ(next, std::size(k_heard)) << "not heard in order: \"" << k_heard[next]
                                      << "\"; heard:\n" << all;
  EXPECT_EQ(memory.liveCount(9) + memory.liveCount(0), 0u);
}
