#include "softgfx.h"

#include "capturelog.h"
#include "tempdir.h"
#include "testmemory.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

// A backend that looks in a fresh folder of generated sprite sheets and descriptors.
struct Stage {
  explicit Stage(int width = 64, int height = 32) : gfx(width, height) {
    gfx.addSearchPath(dir.folder().c_str());
    gfx.setClearColour(softColour {0, 0, 0, 255});
  }
  void sheet(const std::string& name, int width, int height,
             const std::function<softColour(int x, int y)>& colour) const {
    softImage image;
    image.resize(width, height);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        softColour c = colour(x, y);
        uint8_t* pixel = image.at(x, y);
        pixel[0] = c.r, pixel[1] = c.g, pixel[2] = c.b, pixel[3] = c.a;
      }
    ASSERT_TRUE(softSavePNG(dir.path(name).c_str(), image));
  }
  // A 4 x 4 sprite of one shade of red, which tells it apart on the frame.
  int solid(int red) {
    std::string name = "red" + std::to_string(red);
    sheet(name + ".png", 4, 4, [red](int, int) { return softColour {uint8_t(red), 0, 0, 255}; });
    return gfx.createSprite(name.c_str());
  }
  int red(int x, int y) const { return gfx.frame().at(x, y)[0]; }

  TempDir dir;
  softGfx gfx;
};

// The smallest rectangle holding every pixel that is not black; right and bottom exclusive.
struct Ink {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
};

Ink inkOf(const softImage& frame) {
  Ink ink;
  for (int y = 0; y < frame.height; ++y)
    for (int x = 0; x < frame.width; ++x)
      if (frame.at(x, y)[0] || frame.at(x, y)[1] || frame.at(x, y)[2]) {
        ink = {std::min(ink.left, x), std::min(ink.top, y), std::max(ink.right, x + 1),
               std::max(ink.bottom, y + 1)};
      }
  return ink;
}

}  // namespace

TEST(softGfx, DepthThenSortLevelThenCallOrderDecideWhatIsOnTop) {
  struct Call {
    int depth, level, red;  // level 0: a plain blt
  };
  struct Case {
    const char* what;
    std::vector<Call> calls;
    int top;
  } cases[] = {
      {"same depth: the later call", {{5, 0, 10}, {5, 0, 20}}, 20},
      {"higher depth, whatever the order", {{6, 0, 10}, {5, 0, 20}}, 10},
      {"sort level -1 below a plain blt", {{5, 0, 20}, {5, -1, 10}}, 20},
      {"depth before sort level", {{4, 9, 10}, {5, 1, 30}}, 30},
      {"depths above the top are held at the top", {{500, 0, 10}, {95, 0, 20}}, 20},
      {"negative depths are held at 0", {{0, 0, 10}, {-7, 0, 30}}, 30},
  };
  CaptureLog log;
  Stage stage;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (const Call& call : c.calls) {
      int sprite = stage.solid(call.red);
      if (call.level)
        stage.gfx.bltSort(call.depth, call.level, sprite, 0, 0, 0, 0, 255);
      else
        stage.gfx.blt(call.depth, sprite, 0, 0, 0, 0, 255);
    }
    stage.gfx.endFrame();
    EXPECT_EQ(stage.red(1, 1), c.top);
  }
}

// Buttons hit-test through this. Frame 0 is opaque but for (1, 1); frame 1 is transparent but for
// its diagonal, from alpha 125 at (0, 0) to 128 at (3, 3). Anything outside the sheet misses.
TEST(softGfx, AlphaTestReadsThePixelOfTheFrame) {
  CaptureLog log;
  Stage stage;
  stage.sheet("holes.png", 8, 4, [](int x, int y) {
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
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "sprite " << c.sprite << " anim " << c.anim << " frame "
                                    << c.frame << " at " << c.x << "," << c.y);
    EXPECT_EQ(stage.gfx.alphaTestSprite(c.sprite, c.anim, c.frame, c.x, c.y), c.hit);
  }
}

// An id stays valid until the last release; a stale one draws nothing, and creating the name
// again gives a new id.
TEST(softGfx, SpritesAndFontsAreSharedByNameUntilTheLastRelease) {
  CaptureLog log;
  Stage stage;
  int sprite = stage.solid(200);
  EXPECT_EQ(stage.gfx.createSprite("red200"), sprite);
  stage.gfx.releaseSprite("red200");
  EXPECT_STREQ(stage.gfx.getSpriteName(sprite), "red200");
  stage.gfx.releaseSprite("red200");
  EXPECT_EQ(stage.gfx.getSpriteName(sprite), nullptr);
  stage.gfx.releaseSprite("red200");
  stage.gfx.releaseSprite(nullptr);
  stage.gfx.blt(1, sprite, 0, 0, 0, 0, 255);
  stage.gfx.endFrame();
  EXPECT_EQ(stage.red(1, 1), 0);
  EXPECT_NE(stage.gfx.createSprite("red200"), sprite);

  int font = stage.gfx.createFont("DejaVuSans.ttf:24");
  EXPECT_EQ(stage.gfx.createFont("DejaVuSans.ttf:24"), font);
  stage.gfx.releaseFont(font);
  EXPECT_STREQ(stage.gfx.getFontName(font), "DejaVuSans.ttf:24");
  stage.gfx.releaseFont(font);
  EXPECT_EQ(stage.gfx.getFontName(font), nullptr);
  stage.gfx.releaseFont(font);

  log.expect("Sprite ^C00FF00red200^c has no frame 2 in animation 1\f");  // once
  stage.gfx.blt(1, sprite + 1, 0, 0, 1, 2, 255);
  stage.gfx.blt(1, sprite + 1, 0, 0, 1, 2, 255);
  stage.gfx.endFrame();
  EXPECT_EQ(stage.red(1, 1), 0);
}

// Each row writes a file (unless it names none) and loads a resource: a broken key is reported
// and skipped, a broken file is refused. "@" in a message stands for the folder.
TEST(softGfx, BrokenResourcesAreReported) {
  const std::string sprite = "Cannot load sprite ^C00FF00bad^c: ";
  const std::string psys = "Cannot load particle system ^C00FF00bad.psys^c: ";
  const std::string size = "the size must be 4 to 256 pixels\f";
  struct Case {
    const char* load;  // "sprite NAME", "psys FILE" or "font NAME"
    const char* file;
    const char* content;
    std::vector<std::string> messages;
    bool loads;
  } cases[] = {
      {"sprite bad", "bad.sprite", "image = sheet.png\nframe = 4 4\nframes = 5\n",
       {sprite + "1 animations of up to 5 frames of 4x4 do not fit its 16x8 image\f"}, false},
      {"sprite bad", "bad.sprite", "image = sheet.png\nframe = -4 4\n",
       {sprite + "0 animations of up to 0 frames of -4x4 do not fit its 16x8 image\f"}, false},
      {"sprite bad", "bad.sprite", "frame = 4 4\n", {sprite + "@/bad.sprite names no image\f"},
       false},
      {"sprite bad", "bad.sprite", "image = nothere.png\n",
       {sprite + "cannot read image @/nothere.png\f"}, false},
      {"sprite bad", "bad.sprite", "image = sheet.png\n\ncolour = red\n",
       {"...unknown key ^C00FF00colour^c in @/bad.sprite line 3\f"}, true},
      {"sprite bad", "bad.sprite", "image = sheet.png\nframes = 2 x\n",
       {"...expected: \"^C00FF00frames = count count ...^c\" (1 to 256 counts)\f"}, true},
      {"sprite ghost", "", "", {"Cannot load sprite ^C00FF00ghost^c: no such file\f"}, false},
      {"sprite ", "", "", {"Cannot load a sprite without a name\f"}, false},
      {"psys bad.psys", "bad.psys", "rate = -1\n",
       {psys + "the rate and the count cannot be negative\f"}, false},
      {"psys bad.psys", "bad.psys", "lifetime = 0 1\n", {psys + "lifetimes must be above 0\f"},
       false},
      {"psys bad.psys", "bad.psys", "sprite = ghost\n",
       {"Cannot load sprite ^C00FF00ghost^c: no such file\f", psys + "its sprite is missing\f"},
       false},
      {"psys bad.psys", "bad.psys", "endcolour = 1 2 3 256\n",
       {"...expected: \"^C00FF00endcolour = red green blue alpha^c\" (0 to 255 each)\f"}, true},
      {"psys bad.psys", "bad.psys", "rate = fast\n", {"...expected: \"^C00FF00rate = float^c\"\f"},
       true},
      {"psys bad.psys", "bad.psys", "rate = 1e30\ncount = 0\n", {}, true},  // held to the pool
      {"psys ", "", "", {"Cannot load a particle system without a file name\f"}, false},
      {"font junk.ttf", "junk.ttf", "not a font",
       {"Cannot load font ^C00FF00junk.ttf^c: @/junk.ttf is not a font FreeType can read\f"}, false},
      {"font nofont.ttf", "", "", {"Cannot load font ^C00FF00nofont.ttf^c: no such file\f"}, false},
      {"font DejaVuSans.ttf:2", "", "", {"Cannot load font ^C00FF00DejaVuSans.ttf:2^c: " + size},
       false},
      {"font DejaVuSans.ttf:99999999999", "", "",
       {"Cannot load font ^C00FF00DejaVuSans.ttf:99999999999^c: " + size}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.load) + ": " + c.content);
    CaptureLog log;
    Stage stage;
    stage.sheet("sheet.png", 16, 8, [](int, int) { return softColour {}; });
    if (*c.file)
      stage.dir.write(c.file, c.content);
    for (std::string message : c.messages) {
      size_t at = message.find('@');
      if (at != std::string::npos)
        message.replace(at, 1, stage.dir.folder());
      log.expect(message);
    }
    std::string kind = c.load;
    std::string name = kind.substr(kind.find(' ') + 1);
    int id = kind[0] == 's' ? stage.gfx.createSprite(name.c_str())
             : kind[0] == 'f' ? stage.gfx.createFont(name.c_str())
                              : stage.gfx.createParticleSystemInstance("bad", name.c_str());
    EXPECT_EQ(id != -1, c.loads);
    if (kind[0] == 'p')
      stage.gfx.updateParticleSystem(id, 0, 0, 1000.0f);
  }
}

// Widgets lay text out with getTextRect, so the ink must stay inside the rectangle it gives.
TEST(softGfx, TextIsDrawnInsideTheRectangleGetTextRectGives) {
  CaptureLog log;
  Stage stage(200, 40);
  int font = stage.gfx.createFont("");
  int widths[256];
  int height = 0;
  stage.gfx.getFontDimensions(font, widths, &height);
  const unsigned int hello[] = {'H', 'e', 'l', 'l', 'o', 0};
  for (unsigned int justify : {0u, 1u, 2u}) {
    SCOPED_TRACE("justify " + std::to_string(justify));
    int left, top, right, bottom;
    stage.gfx.getTextRect(font, justify, 100, 10, hello, &left, &top, &right, &bottom);
    EXPECT_EQ(right - left, widths['H'] + widths['e'] + 2 * widths['l'] + widths['o']);
    EXPECT_EQ(bottom - top, height);
    EXPECT_EQ(justify == 0 ? left : justify == 1 ? right : (left + right) / 2, 100);
    stage.gfx.print(3, font, 0, justify, 100, 10, -1, 255, hello);
    stage.gfx.endFrame();
    Ink ink = inkOf(stage.gfx.frame());
    EXPECT_TRUE(ink.left >= left && ink.left <= left + 3 && ink.top >= top);
    EXPECT_TRUE(ink.right <= right && ink.right >= right - 3 && ink.bottom <= bottom);
  }
  // Text beyond the longest print is cut, and an unknown colour set prints in the first one.
  std::string endless(3 * softGfx::MAX_TEXT, 'W');
  stage.gfx.print(3, font, 99, 0, 0, 0, -1, 255, endless.c_str());
  stage.gfx.print(3, font, -1, 0, 0, 0, -1, 255, endless.c_str());
  stage.gfx.endFrame();
}

TEST(softGfx, ParticleSystemsDieStopAndRestart) {
  CaptureLog log;
  Stage stage;
  stage.dir.write("burst.psys", "rate = 0\ncount = 5\nlifetime = 0.5 0.5\n");
  stage.dir.write("fountain.psys", "rate = 20\ncount = 0\nlifetime = 0.3 0.3\n");
  softGfx& gfx = stage.gfx;
  int burst = gfx.createParticleSystemInstance("burst", "burst.psys");
  EXPECT_FALSE(gfx.particleSystemInstanceIsDead(burst));  // its particles are still to come
  gfx.updateParticleSystem(burst, 10, 10, 0.1f);
  gfx.updateParticleSystem(burst, 10, 10, 0.5f);
  EXPECT_TRUE(gfx.particleSystemInstanceIsDead(burst));
  gfx.addEvent(softGfx::EVENT_RESTART, 0, burst, 0, 0.0f, nullptr);
  EXPECT_FALSE(gfx.particleSystemInstanceIsDead(burst));

  int fountain = gfx.createParticleSystemInstance("fountain", "fountain.psys");
  for (int step = 0; step < 20; ++step)
    gfx.updateParticleSystem(fountain, 30, 30, 0.1f);
  EXPECT_FALSE(gfx.particleSystemInstanceIsDead(fountain));  // endless until stopped
  gfx.particleSystemInstanceStopEmitters(fountain);
  gfx.updateParticleSystem(fountain, 30, 30, 0.1f);
  EXPECT_FALSE(gfx.particleSystemInstanceIsDead(fountain));  // the last particles finish
  gfx.updateParticleSystem(fountain, 30, 30, 0.3f);
  EXPECT_TRUE(gfx.particleSystemInstanceIsDead(fountain));

  // Two instances may share a name; releasing the name releases the newer one.
  int twin = gfx.createParticleSystemInstance("burst", "burst.psys");
  gfx.releaseParticleSystemInstance("burst");
  EXPECT_TRUE(gfx.particleSystemInstanceIsDead(twin));
  EXPECT_FALSE(gfx.particleSystemInstanceIsDead(burst));
  gfx.releaseParticleSystemInstance(burst);
  gfx.updateParticleSystem(burst, 0, 0, 1.0f);  // released ids are ignored
  gfx.psemit(1, burst, 1.0f);
  gfx.releaseParticleSystemInstance("nobody");
}

TEST(softGfx, SteadyFramesAllocateNothing) {
  CaptureLog log;
  Stage stage;
  int dot = stage.solid(255);
  stage.dir.write("trail.psys", "rate = 50\ncount = 0\nlifetime = 0.2 0.4\nsprite = red255\n");
  int font = stage.gfx.createFont("");
  int trail = stage.gfx.createParticleSystemInstance("trail", "trail.psys");
  const unsigned int text[] = {'S', 't', 'e', 'a', 'd', 'y', 0};
  auto frame = [&](int n) {
    stage.gfx.beginFrame(0.016f);
    for (int i = 0; i < 20; ++i)
      stage.gfx.blt(i % 4, dot, i * 3, n % 7, 0, 0, 200);
    stage.gfx.print(2, font, 0, 2, 32, 4, -1, 255, text);
    stage.gfx.print(2, font, 0, 0, 0, 16, 8, 255, "Steady");
    stage.gfx.updateParticleSystem(trail, 40, 20, 0.016f);
    stage.gfx.psemit(1, trail, 0.5f);
    stage.gfx.endFrame();
  };
  for (int n = 0; n < 30; ++n)
    frame(n);
  GlobalNewCounter counter;
  for (int n = 30; n < 60; ++n)
    frame(n);
  EXPECT_EQ(counter.calls(), 0);
}

namespace {

// Reference images: tests/reference/softgfx_<scene>.png. A pixel matches when no channel differs
// by more than 8; at most 1% of the pixels may miss, which leaves room for another FreeType's
// antialiasing and nothing else. UI_UPDATE_REFERENCES=1 writes the references instead.
void expectMatchesReference(const softImage& frame, const std::string& scene) {
  std::string reference = std::string(UI_TEST_REFERENCE) + "/softgfx_" + scene + ".png";
  const char* update = std::getenv("UI_UPDATE_REFERENCES");
  if (update && std::string(update) == "1") {
    std::filesystem::create_directories(UI_TEST_REFERENCE);
    ASSERT_TRUE(softSavePNG(reference.c_str(), frame));
    std::printf("wrote %s\n", reference.c_str());
    return;
  }
  softImage expected;
  ASSERT_TRUE(softLoadPNG(reference.c_str(), &expected)) << "missing " << reference;
  softImageDiff diff = softCompareImages(expected, frame, 8);
  ASSERT_TRUE(diff.sameSize) << reference;
  if (diff.differingPixels > frame.width * frame.height / 100) {
    std::string actual =
        (std::filesystem::temp_directory_path() / ("softgfx_" + scene + "_actual.png")).string();
    softSavePNG(actual.c_str(), frame);
    ADD_FAILURE() << diff.differingPixels << " pixels differ from " << reference
                  << " (largest difference " << diff.largestDelta << "); the frame is in "
                  << actual;
  }
}

// Procedural art: a checkered frame and a round, half-transparent one, each 8 x 8.
void paintTiles(const Stage& stage) {
  stage.sheet("tiles.png", 16, 8, [](int x, int y) {
    if (x < 8)
      return ((x / 2 + y / 2) % 2) ? softColour {230, 60, 40, 255} : softColour {250, 210, 60, 255};
    int dx = x - 12, dy = y - 4;
    uint8_t alpha = dx * dx + dy * dy <= 12 ? 255 : dx * dx + dy * dy <= 20 ? 120 : 0;
    return softColour {60, uint8_t(140 + y * 12), 230, alpha};
  });
  stage.dir.write("tiles.sprite", "image = tiles.png\nframe = 8 8\nframes = 2\n");
}

}  // namespace

// Depth against call order, sort levels, the alpha of pixel and call, the three blt forms with
// parts inside and beyond the frame, and clipping at the frame's corner.
TEST(softGfx, SpriteSceneMatchesItsReference) {
  CaptureLog log;
  Stage stage(48, 24);
  paintTiles(stage);
  softGfx& gfx = stage.gfx;
  int tiles = gfx.createSprite("tiles");
  gfx.beginFrame(0.016f);
  gfx.blt(2, tiles, 6, 6, 0, 1, 200);  // above the checker, though drawn first
  gfx.blt(1, tiles, 2, 2, 0, 0, 255);
  gfx.bltSort(1, 4, tiles, 14, 2, 0, 1, 255);
  gfx.bltSort(1, 3, tiles, 12, 4, 0, 0, 255);
  gfx.blt(1, tiles, 24, 2, 5, 3, 0, 0, 255);
  gfx.blt(1, tiles, 32, 2, 2, 2, 20, 20, 0, 1, 128);
  gfx.blt(1, tiles, 40, 16, 0, 0, 255);
  gfx.endFrame();
  expectMatchesReference(gfx.frame(), "sprites");
}

// Justification, the height limit, colour sets, and particles of both kinds seeded by name.
TEST(softGfx, TextAndParticleSceneMatchesItsReference) {
  CaptureLog log;
  Stage stage(96, 48);
  paintTiles(stage);
  stage.dir.write("sparks.psys",
                  "# a burst of sparks\nrate = 0\ncount = 12\nlifetime = 0.4 0.8\nspeed = 20 60\n"
                  "angle = 90 360\ngravity = 0 40\nstartcolour = 255 240 160 255\n"
                  "endcolour = 255 80 0 64\nsize = 4 2\n");
  stage.dir.write("bubbles.psys",
                  "rate = 30\ncount = 8\nlifetime = 1 1\nspeed = 30 60\nangle = 90 90\n"
                  "sprite = tiles\nsize = 6 10\nstartcolour = 255 255 255 255\n"
                  "endcolour = 255 255 255 128 // fading\n");
  softGfx& gfx = stage.gfx;
  gfx.setTextColour(1, softColour {120, 200, 255, 255});
  int font = gfx.createFont("DejaVuSans.ttf:14");
  int sparks = gfx.createParticleSystemInstance("sparks", "sparks.psys");
  int bubbles = gfx.createParticleSystemInstance("bubbles", "bubbles.psys");
  for (int step = 0; step < 6; ++step) {
    gfx.updateParticleSystem(sparks, 20, 30, 0.05f);
    gfx.updateParticleSystem(bubbles, 70, 40, 0.05f);
  }
  gfx.beginFrame(0.05f);
  gfx.print(3, font, 0, 2, 48, 2, -1, 255, "Ag\xe9");
  gfx.print(3, font, 1, 1, 94, 20, 9, 200, "ok!");  // cut at 9 rows
  gfx.psemit(2, sparks, 1.0f);
  gfx.psemit(4, bubbles, 0.8f);
  gfx.endFrame();
  expectMatchesReference(gfx.frame(), "text_particles");
}
