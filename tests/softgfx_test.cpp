#include "softgfx.h"

#include "capturelog.h"
#include "softscenes.h"
#include "testmemory.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// A backend that looks in a fresh folder of generated sprite sheets and descriptors.
struct Stage {
  explicit Stage(int width = 64, int height = 32) : gfx(width, height) {
    gfx.addSearchPath(dir.folder().c_str());
    gfx.setClearColour(softColour {0, 0, 0, 255});
  }
  // A 4 x 4 sprite of one shade of red, which tells it apart on the frame.
  int solid(int red) {
    std::string name = "red" + std::to_string(red);
    saveSheet(dir.path(name + ".png"), 4, 4,
              [red](int, int) { return softColour {uint8_t(red), 0, 0, 255}; });
    return gfx.createSprite(name.c_str());
  }

  TempDir dir;
  softGfx gfx;
};

}  // namespace

// Buttons hit-test through this. Frame 0 is opaque but for (1, 1); frame 1 is transparent but for
// its diagonal, from alpha 125 at (0, 0) to 128 at (3, 3). Anything outside the sheet misses.
TEST(softGfx, AlphaTestReadsThePixelOfTheFrame) {
  CaptureLog log;
  Stage stage;
  saveSheet(stage.dir.path("holes.png"), 8, 4, [](int x, int y) {
    int alpha = x < 4 ? 255 * !(x == 1 && y == 1) : x - 4 == y ? 125 + y : 0;
    return softColour {255, 255, 255, uint8_t(alpha)};
  });
  stage.dir.write("holes.sprite", "image = holes.png\nframe = 4 4\nframes = 2\n");
  int holes = stage.gfx.createSprite("holes");
  stage.gfx.setupAlphaTestSprite(holes);
  struct Case {
    int sprite, anim, frame, x, y;
    bool hit;
  } cases[] = {
      {holes, 0, 0, 0, 0, true},  {holes, 0, 0, 1, 1, false},  {holes, 0, 1, 2, 2, false},
      {holes, 0, 1, 3, 3, true},  {holes, 0, 0, 4, 0, false},  {holes, 0, 0, -1, 0, false},
      {holes, 0, 2, 0, 0, false}, {holes, -1, 0, 0, 0, false}, {holes + 1, 0, 0, 0, 0, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(stage.gfx.alphaTestSprite(c.sprite, c.anim, c.frame, c.x, c.y), c.hit)
        << "sprite " << c.sprite << " anim " << c.anim << " frame " << c.frame << " at " << c.x
        << "," << c.y;
}

// An id stays valid until the last release, and creating the name again gives a new one. Stale
// ids, frames a sheet lacks (reported once), colour sets that do not exist and text beyond the
// longest print are drawn as far as they can be, never past a table.
TEST(softGfx, StaleIdsAndBadArgumentsAreHarmless) {
  CaptureLog log;
  Stage stage;
  int sprite = stage.solid(200);
  EXPECT_EQ(stage.gfx.createSprite("red200"), sprite);
  stage.gfx.releaseSprite("red200");
  EXPECT_STREQ(stage.gfx.getSpriteName(sprite), "red200");
  stage.gfx.releaseSprite("red200");
  stage.gfx.releaseSprite("red200");
  stage.gfx.releaseSprite(nullptr);
  stage.gfx.blt(1, sprite, 0, 0, 0, 0, 255);
  int again = stage.gfx.createSprite("red200");
  EXPECT_NE(again, sprite);
  log.expect("Sprite ^C00FF00red200^c has no frame 2 in animation 1\f");
  stage.gfx.blt(1, again, 0, 0, 1, 2, 255);
  stage.gfx.blt(1, again, 0, 0, 1, 2, 255);
  stage.gfx.endFrame();
  EXPECT_EQ(stage.gfx.frame().at(1, 1)[0], 0);

  int font = stage.gfx.createFont("");
  std::string endless(3 * softGfx::MAX_TEXT, 'W');
  stage.gfx.print(3, font, 99, 0, 0, 0, -1, 255, endless.c_str());
  stage.gfx.print(3, font, -1, 0, 0, 0, -1, 255, endless.c_str());
  stage.gfx.endFrame();
}

// Sizes that would divide by zero or overflow are refused with the reason, or held.
TEST(softGfx, BrokenResourcesAreReported) {
  struct Case {
    const char* file;  // a sprite, a particle system or a font
    const char* text;  // written to the file unless empty
    std::vector<std::string> messages;
    bool loads;
  } cases[] = {
      {"bad.sprite", "image = sheet.png\nframe = -4 4\n",
       {"Cannot load sprite ^C00FF00bad^c: 0 animations of up to 0 frames of -4x4 do not fit its "
        "16x8 image\f"},
       false},
      {"bad.psys", "rate = 1e30\ncount = 0\n", {}, true},  // held to the pool
      {"DejaVuSans.ttf:99999999999", "",
       {"Cannot load font ^C00FF00DejaVuSans.ttf:99999999999^c: the size must be 4 to 256 "
        "pixels\f"},
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file) + ": " + c.text);
    CaptureLog log;
    Stage stage;
    saveSheet(stage.dir.path("sheet.png"), 16, 8, [](int, int) { return softColour {}; });
    if (*c.text)
      stage.dir.write(c.file, c.text);
    for (const std::string& message : c.messages)
      log.expect(message);
    std::string file = c.file;
    int id = file == "bad.sprite" ? stage.gfx.createSprite("bad")
             : file == "bad.psys" ? stage.gfx.createParticleSystemInstance("bad", c.file)
                                  : stage.gfx.createFont(c.file);
    EXPECT_EQ(id != -1, c.loads);
    if (file == "bad.psys")
      stage.gfx.updateParticleSystem(id, 0, 0, 1000.0f);
  }
}

TEST(softGfx, SteadyFramesAllocateNothing) {
  CaptureLog log;
  Stage stage;
  int dot = stage.solid(255);
  stage.dir.write("trail.psys", "rate = 50\ncount = 0\nlifetime = 0.2 0.4\nsprite = red255\n");
  int font = stage.gfx.createFont("");
  int trail = stage.gfx.createParticleSystemInstance("trail", "trail.psys");
  const unsigned int text[] = {'S', 't', 'e', 'a', 'd', 'y', 0};
  GlobalNewCounter counter;
  for (int n = 0; n < 60; ++n) {
    if (n == 30)
      counter = GlobalNewCounter();
    stage.gfx.beginFrame(0.016f);
    for (int i = 0; i < 20; ++i)
      stage.gfx.blt(i % 4, dot, i * 3, n % 7, 0, 0, 200);
    stage.gfx.print(2, font, 0, 2, 32, 4, -1, 255, text);
    stage.gfx.print(2, font, 0, 0, 0, 16, 8, 255, "Steady");
    stage.gfx.updateParticleSystem(trail, 40, 20, 0.016f);
    stage.gfx.psemit(1, trail, 0.5f);
    stage.gfx.endFrame();
  }
  EXPECT_EQ(counter.calls(), 0);
}

// Reference images: tests/reference/softgfx_<scene>.png. A pixel matches when no channel differs
// by more than 8; at most 1% of the pixels may miss, which leaves room for another FreeType's
// antialiasing and nothing else. UI_UPDATE_REFERENCES=1 writes the references instead.
TEST(softGfx, ScenesMatchTheirReferences) {
  struct Case {
    std::string name;
    int width, height;
    std::vector<void (*)(softGfx&)> scenes;
  } cases[] = {
      {"sprites", 48, 24, {spriteScene}},
      {"text_particles", 96, 48, {textScene, particleScene}},
  };
  const char* update = std::getenv("UI_UPDATE_REFERENCES");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CaptureLog log;
    Stage stage(c.width, c.height);
    paintArt(stage.dir);
    stage.gfx.beginFrame(0.05f);
    for (void (*scene)(softGfx&) : c.scenes)
      scene(stage.gfx);
    stage.gfx.endFrame();
    const softImage& frame = stage.gfx.frame();
    std::string reference = std::string(UI_TEST_REFERENCE) + "/softgfx_" + c.name + ".png";
    if (update && std::string(update) == "1") {
      EXPECT_TRUE(softSavePNG(reference.c_str(), frame)) << "cannot write " << reference;
      continue;
    }
    softImage expected;
    ASSERT_TRUE(softLoadPNG(reference.c_str(), &expected)) << "missing " << reference;
    softImageDiff diff = softCompareImages(expected, frame, 8);
    ASSERT_TRUE(diff.sameSize);
    if (diff.differingPixels > frame.width * frame.height / 100) {
      std::string actual = (std::filesystem::temp_directory_path() / c.name).string() + ".png";
      softSavePNG(actual.c_str(), frame);
      ADD_FAILURE() << diff.differingPixels << " pixels differ (largest difference "
                    << diff.largestDelta << "); the frame is in " << actual;
    }
  }
}
