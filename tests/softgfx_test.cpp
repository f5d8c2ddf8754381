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

const softColour BLACK {0, 0, 0, 255};

// A fresh folder of generated sprite sheets and descriptors, and a backend that looks there.
struct Stage {
  explicit Stage(int width = 64, int height = 32) : gfx(width, height) {
    gfx.addSearchPath(dir.folder().c_str());
    gfx.setClearColour(BLACK);
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
  void solid(const std::string& name, int size, softColour colour) const {
    sheet(name, size, size, [colour](int, int) { return colour; });
  }
  void text(const std::string& name, const std::string& content) const { dir.write(name, content); }
  softColour pixel(int x, int y) const {
    const uint8_t* p = gfx.frame().at(x, y);
    return softColour {p[0], p[1], p[2], p[3]};
  }
  // Expects the messages in order; "@" in a message stands for the folder.
  void expect(CaptureLog& log, const std::vector<std::string>& messages) const {
    for (std::string message : messages) {
      size_t at = message.find('@');
      if (at != std::string::npos)
        message.replace(at, 1, dir.folder());
      log.expect(message);
    }
  }

  TempDir dir;
  softGfx gfx;
};

// The smallest rectangle holding every pixel that differs from black; right and bottom exclusive.
struct Ink {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
  bool empty() const { return right < 0; }
};

Ink inkOf(const softImage& frame) {
  Ink ink;
  for (int y = 0; y < frame.height; ++y)
    for (int x = 0; x < frame.width; ++x) {
      const uint8_t* p = frame.at(x, y);
      if (p[0] == 0 && p[1] == 0 && p[2] == 0)
        continue;
      ink.left = std::min(ink.left, x);
      ink.top = std::min(ink.top, y);
      ink.right = std::max(ink.right, x + 1);
      ink.bottom = std::max(ink.bottom, y + 1);
    }
  return ink;
}

void expectColour(softColour actual, softColour expected, int tolerance = 0) {
  EXPECT_NEAR(actual.r, expected.r, tolerance);
  EXPECT_NEAR(actual.g, expected.g, tolerance);
  EXPECT_NEAR(actual.b, expected.b, tolerance);
}

softColour named(const std::string& colour) {
  if (colour == "red")
    return softColour {255, 0, 0, 255};
  if (colour == "green")
    return softColour {0, 255, 0, 255};
  return softColour {0, 0, 255, 255};
}

std::vector<unsigned int> wide(const char* text) {
  std::vector<unsigned int> out(text, text + std::char_traits<char>::length(text));
  out.push_back(0);
  return out;
}

}  // namespace

TEST(softGfx, DepthThenSortLevelThenCallOrderDecideWhatIsOnTop) {
  struct Call {
    int depth;
    bool sorted;  // bltSort at `level`, else blt
    int level;
    const char* sprite;
  };
  struct Case {
    const char* what;
    std::vector<Call> calls;
    const char* top;
  };
  const Case cases[] = {
      {"same depth: the later call", {{5, false, 0, "red"}, {5, false, 0, "green"}}, "green"},
      {"higher depth, whatever the order", {{6, false, 0, "red"}, {5, false, 0, "green"}}, "red"},
      {"sort level 1 above a plain blt", {{5, true, 1, "red"}, {5, false, 0, "green"}}, "red"},
      {"sort level -1 below a plain blt", {{5, false, 0, "green"}, {5, true, -1, "red"}}, "green"},
      {"sort levels apart from call order",
       {{5, true, 3, "blue"}, {5, true, 2, "red"}, {5, true, 2, "green"}},
       "blue"},
      {"depth matters before sort level", {{4, true, 9, "red"}, {5, true, 0, "blue"}}, "blue"},
      {"depths above the top are held at the top",
       {{500, false, 0, "red"}, {95, false, 0, "green"}},
       "green"},
      {"negative depths are held at 0", {{0, false, 0, "red"}, {-7, false, 0, "blue"}}, "blue"},
  };
  CaptureLog log;
  Stage stage;
  for (const char* colour : {"red", "green", "blue"})
    stage.solid(std::string(colour) + ".png", 4, named(colour));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (const Call& call : c.calls) {
      int sprite = stage.gfx.createSprite(call.sprite);
      if (call.sorted)
        stage.gfx.bltSort(call.depth, call.level, sprite, 0, 0, 0, 0, 255);
      else
        stage.gfx.blt(call.depth, sprite, 0, 0, 0, 0, 255);
    }
    stage.gfx.endFrame();
    expectColour(stage.pixel(1, 1), named(c.top));
  }
}

TEST(softGfx, AlphaOfThePixelAndOfTheCallMultiply) {
  struct Case {
    const char* what;
    unsigned char callAlpha;
    softColour below;  // drawn first, opaque
    int column;        // of the sprite: 0 opaque white, 1 white at alpha 128, 2 transparent
    softColour expected;
  };
  const Case cases[] = {
      {"opaque pixel, opaque call", 255, BLACK, 0, {255, 255, 255, 255}},
      {"half pixel, opaque call", 255, BLACK, 1, {128, 128, 128, 255}},
      {"opaque pixel, half call", 128, BLACK, 0, {128, 128, 128, 255}},
      {"half pixel, half call", 128, BLACK, 1, {64, 64, 64, 255}},
      {"over red", 128, {255, 0, 0, 255}, 0, {255, 128, 128, 255}},
      {"transparent pixel keeps what is below", 255, {0, 0, 255, 255}, 2, {0, 0, 255, 255}},
      {"alpha 0 draws nothing", 0, {0, 255, 0, 255}, 0, {0, 255, 0, 255}},
  };
  CaptureLog log;
  Stage stage;
  stage.sheet("glass.png", 3, 1, [](int x, int) {
    return softColour {255, 255, 255, uint8_t(x == 0 ? 255 : x == 1 ? 128 : 0)};
  });
  stage.sheet("below.png", 3, 1, [](int, int) { return softColour {255, 255, 255, 255}; });
  int glass = stage.gfx.createSprite("glass");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    stage.gfx.setClearColour(c.below);
    stage.gfx.blt(1, glass, 0, 0, 0, 0, c.callAlpha);
    stage.gfx.endFrame();
    expectColour(stage.pixel(c.column, 0), c.expected, 1);
    EXPECT_EQ(stage.pixel(c.column, 0).a, 255);  // the frame stays opaque
  }
}

// Every pixel of the sheet names its own place: red = 16 x column, green = 16 x row. Two frames
// of 8 x 8 side by side, so the second frame starts at column 8 of the sheet.
TEST(softGfx, PartialBltsDrawTheRequestedPartOfTheFrameOnly) {
  struct Probe {
    int x, y;
    int sheetX, sheetY;  // -1: nothing drawn there
  };
  struct Case {
    const char* what;
    std::function<void(softGfx&, int sprite)> draw;
    std::vector<Probe> probes;
  };
  const Case cases[] = {
      {"top-left part",
       [](softGfx& g, int s) { g.blt(1, s, 0, 0, 3, 2, 0, 1, 255); },
       {{0, 0, 8, 0}, {2, 1, 10, 1}, {3, 0, -1, -1}, {0, 2, -1, -1}}},
      {"part wider than the frame",
       [](softGfx& g, int s) { g.blt(1, s, 0, 0, 20, 1, 0, 1, 255); },
       {{7, 0, 15, 0}, {8, 0, -1, -1}}},
      {"inner part at its own offset",
       [](softGfx& g, int s) { g.blt(1, s, 10, 4, 5, 6, 4, 4, 0, 1, 255); },
       {{10, 4, 13, 6}, {12, 5, 15, 7}, {13, 4, -1, -1}, {10, 6, -1, -1}}},
      {"part starting left of the frame",
       [](softGfx& g, int s) { g.blt(1, s, 0, 0, -2, 0, 4, 1, 0, 0, 255); },
       {{0, 0, -1, -1}, {1, 0, -1, -1}, {2, 0, 0, 0}, {3, 0, 1, 0}}},
      {"empty part",
       [](softGfx& g, int s) { g.blt(1, s, 0, 0, 0, 0, 0, 5, 0, 0, 255); },
       {{0, 0, -1, -1}}},
      {"whole frame by both forms",
       [](softGfx& g, int s) {
         g.blt(1, s, 0, 0, 0, 0, 8, 8, 0, 1, 255);
         g.blt(1, s, 16, 0, 0, 1, 255);
       },
       {{7, 7, 15, 7}, {23, 7, 15, 7}, {24, 0, -1, -1}}},
  };
  CaptureLog log;
  Stage stage(32, 16);
  stage.sheet("grid.png", 16, 8, [](int x, int y) {
    return softColour {uint8_t(x * 16), uint8_t(y * 16), 255, 255};
  });
  stage.text("grid.sprite", "image = grid.png\nframe = 8 8\n");
  int grid = stage.gfx.createSprite("grid");
  ASSERT_NE(grid, -1);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.draw(stage.gfx, grid);
    stage.gfx.endFrame();
    for (const Probe& probe : c.probes) {
      SCOPED_TRACE("at " + std::to_string(probe.x) + "," + std::to_string(probe.y));
      softColour expected = probe.sheetX < 0 ? BLACK
                                             : softColour {uint8_t(probe.sheetX * 16),
                                                           uint8_t(probe.sheetY * 16), 255, 255};
      expectColour(stage.pixel(probe.x, probe.y), expected);
    }
  }
}

TEST(softGfx, AlphaTestReadsThePixelOfTheFrame) {
  CaptureLog log;
  Stage stage;
  // Frame 0: opaque but for (1, 1). Frame 1: transparent but for (2, 2) at 127 and (3, 3) at 128.
  stage.sheet("holes.png", 8, 4, [](int x, int y) {
    uint8_t alpha = 0;
    if (x < 4)
      alpha = (x == 1 && y == 1) ? 0 : 255;
    else if (x == 6 && y == 2)
      alpha = 127;
    else if (x == 7 && y == 3)
      alpha = 128;
    return softColour {255, 255, 255, alpha};
  });
  stage.text("holes.sprite", "image = holes.png\nframe = 4 4\nframes = 2\n");
  int holes = stage.gfx.createSprite("holes");
  stage.gfx.setupAlphaTestSprite(holes);
  struct Case {
    int anim, frame, x, y;
    bool hit;
  };
  const Case cases[] = {
      {0, 0, 0, 0, true},  {0, 0, 1, 1, false}, {0, 1, 2, 2, false},  {0, 1, 3, 3, true},
      {0, 1, 0, 0, false}, {0, 0, 4, 0, false}, {0, 0, -1, 0, false}, {0, 0, 0, 4, false},
      {0, 2, 0, 0, false}, {1, 0, 0, 0, false}, {-1, 0, 0, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("anim " + std::to_string(c.anim) + " frame " + std::to_string(c.frame) + " at " +
                 std::to_string(c.x) + "," + std::to_string(c.y));
    EXPECT_EQ(stage.gfx.alphaTestSprite(holes, c.anim, c.frame, c.x, c.y), c.hit);
  }
  EXPECT_FALSE(stage.gfx.alphaTestSprite(holes + 1, 0, 0, 0, 0));
}

TEST(softGfx, SpritesAreSharedByNameUntilTheLastRelease) {
  CaptureLog log;
  Stage stage;
  stage.solid("walker.png", 16, softColour {255, 255, 255, 255});
  stage.text("walker.sprite",
             "# a walk and a turn\nimage = walker.png\nframe = 4 4\n"
             "frames = 4 2  # walk, turn\n");
  int walker = stage.gfx.createSprite("walker");
  ASSERT_NE(walker, -1);
  EXPECT_EQ(stage.gfx.createSprite("walker"), walker);
  EXPECT_EQ(std::vector<int>({stage.gfx.getSpriteWidth(walker), stage.gfx.getSpriteHeight(walker),
                              stage.gfx.getSpriteFrameCount(walker, 0),
                              stage.gfx.getSpriteFrameCount(walker, 1),
                              stage.gfx.getSpriteFrameCount(walker, 2),
                              stage.gfx.getSpriteFrameCount(walker, -1)}),
            std::vector<int>({4, 4, 4, 2, 0, 0}));

  stage.gfx.releaseSprite("walker");
  EXPECT_STREQ(stage.gfx.getSpriteName(walker), "walker");
  stage.gfx.releaseSprite("walker");
  EXPECT_EQ(stage.gfx.getSpriteName(walker), nullptr);
  EXPECT_EQ(stage.gfx.getSpriteWidth(walker), 0);
  stage.gfx.releaseSprite("walker");  // not held: nothing happens
  stage.gfx.releaseSprite(nullptr);

  // A stale id draws nothing, and a new creation gets a new id.
  stage.gfx.blt(1, walker, 0, 0, 0, 0, 255);
  stage.gfx.endFrame();
  EXPECT_TRUE(inkOf(stage.gfx.frame()).empty());
  int again = stage.gfx.createSprite("walker");
  EXPECT_NE(again, -1);
  EXPECT_NE(again, walker);

  // A plain PNG is one frame of its own size, found with or without its extension.
  int plain = stage.gfx.createSprite("walker.png");
  EXPECT_NE(plain, again);
  EXPECT_EQ(stage.gfx.getSpriteWidth(plain), 16);
  EXPECT_EQ(stage.gfx.getSpriteFrameCount(plain, 0), 1);

  // A frame the sheet lacks draws nothing and is reported once.
  log.expect("Sprite ^C00FF00walker^c has no frame 2 in animation 1\f");
  stage.gfx.blt(1, again, 0, 0, 1, 2, 255);
  stage.gfx.blt(1, again, 0, 0, 1, 2, 255);
  stage.gfx.endFrame();
  EXPECT_TRUE(inkOf(stage.gfx.frame()).empty());
}

// Each descriptor is written as bad.sprite or bad.psys and loaded; a broken key is reported and
// skipped, a broken file is refused.
TEST(softGfx, BrokenDescriptorsAreReported) {
  struct Case {
    const char* file;
    const char* descriptor;
    std::vector<std::string> messages;  // "@" stands for the stage's folder
    bool loads;
  };
  const Case cases[] = {
      {"bad.sprite", "image = sheet.png\nframe = 4 4\nframes = 5\n",
       {"Cannot load sprite ^C00FF00bad^c: 1 animations of up to 5 frames of 4x4 do not fit its "
        "16x8 image\f"},
       false},
      {"bad.sprite", "frame = 4 4\n",
       {"Cannot load sprite ^C00FF00bad^c: @/bad.sprite names no image\f"}, false},
      {"bad.sprite", "image = nothere.png\n",
       {"Cannot load sprite ^C00FF00bad^c: cannot read image @/nothere.png\f"}, false},
      {"bad.sprite", "image = sheet.png\nframe = -4 4\n",
       {"Cannot load sprite ^C00FF00bad^c: 0 animations of up to 0 frames of -4x4 do not fit its "
        "16x8 image\f"},
       false},
      {"bad.sprite", "image = sheet.png\n\ncolour = red\n",
       {"...unknown key ^C00FF00colour^c in @/bad.sprite line 3\f"}, true},
      {"bad.sprite", "image = sheet.png\nframes = 2 x\n",
       {"...expected: \"^C00FF00frames = count count ...^c\" (1 to 256 counts)\f"}, true},
      {"bad.sprite", "image = sheet.png\nframe = 4\n",
       {"...expected: \"^C00FF00frame = integer integer^c\"\f"}, true},
      {"bad.psys", "rate = -1\n",
       {"Cannot load particle system ^C00FF00bad.psys^c: the rate and the count cannot be "
        "negative\f"},
       false},
      {"bad.psys", "lifetime = 0 1\n",
       {"Cannot load particle system ^C00FF00bad.psys^c: lifetimes must be above 0\f"}, false},
      {"bad.psys", "sprite = ghost\n",
       {"Cannot load sprite ^C00FF00ghost^c: no such file\f",
        "Cannot load particle system ^C00FF00bad.psys^c: its sprite is missing\f"},
       false},
      {"bad.psys", "startcolour = 1 2 3\n",
       {"...expected: \"^C00FF00startcolour = red green blue alpha^c\" (0 to 255 each)\f"}, true},
      {"bad.psys", "endcolour = 1 2 3 256\n",
       {"...expected: \"^C00FF00endcolour = red green blue alpha^c\" (0 to 255 each)\f"}, true},
      {"bad.psys", "// sparks\nflavour = lemon\n",
       {"...unknown key ^C00FF00flavour^c in @/bad.psys line 2\f"}, true},
      {"bad.psys", "rate = fast\n", {"...expected: \"^C00FF00rate = float^c\"\f"}, true},
      {"bad.psys", "rate = 1e30\ncount = 0\n", {}, true},  // held to the pool
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.descriptor);
    CaptureLog log;
    Stage stage;
    stage.sheet("sheet.png", 16, 8, [](int, int) { return softColour {}; });
    stage.text(c.file, c.descriptor);
    stage.expect(log, c.messages);
    if (std::string(c.file) == "bad.sprite") {
      EXPECT_EQ(stage.gfx.createSprite("bad") != -1, c.loads);
    } else {
      int instance = stage.gfx.createParticleSystemInstance("bad", "bad.psys");
      EXPECT_EQ(instance != -1, c.loads);
      stage.gfx.updateParticleSystem(instance, 0, 0, 1000.0f);
    }
  }
  CaptureLog log;
  Stage stage;
  log.expect("Cannot load sprite ^C00FF00ghost^c: no such file\f");
  log.expect("Cannot load a sprite without a name\f");
  log.expect("Cannot load particle system ^C00FF00ghost.psys^c: no such file\f");
  log.expect("Cannot load a particle system without a file name\f");
  EXPECT_EQ(stage.gfx.createSprite("ghost"), -1);
  EXPECT_EQ(stage.gfx.createSprite(""), -1);
  EXPECT_EQ(stage.gfx.createParticleSystemInstance("a", "ghost.psys"), -1);
  EXPECT_EQ(stage.gfx.createParticleSystemInstance("a", nullptr), -1);
}

TEST(softGfx, TextIsDrawnInsideTheRectangleGetTextRectGives) {
  struct Case {
    const char* what;
    unsigned int justify;
  };
  const Case cases[] = {{"left", 0}, {"right", 1}, {"centre", 2}, {"centre wins over right", 3}};
  CaptureLog log;
  Stage stage(200, 40);
  int font = stage.gfx.createFont("");
  ASSERT_NE(font, -1);
  std::vector<unsigned int> hello = wide("Hello");
  int widths[256];
  int height = 0;
  stage.gfx.getFontDimensions(font, widths, &height);
  EXPECT_EQ(height, stage.gfx.getFontHeight(font));
  int width = widths['H'] + widths['e'] + 2 * widths['l'] + widths['o'];
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    int left, top, right, bottom;
    stage.gfx.getTextRect(font, c.justify, 100, 10, hello.data(), &left, &top, &right, &bottom);
    EXPECT_EQ(right - left, width);
    EXPECT_EQ(top, 10);
    EXPECT_EQ(bottom - top, height);
    if (c.justify == 0)
      EXPECT_EQ(left, 100);
    else if (c.justify == 1)
      EXPECT_EQ(right, 100);
    else
      EXPECT_NEAR((left + right) / 2.0, 100.0, 1.0);

    stage.gfx.print(3, font, 0, c.justify, 100, 10, -1, 255, hello.data());
    stage.gfx.endFrame();
    Ink ink = inkOf(stage.gfx.frame());
    ASSERT_FALSE(ink.empty());
    EXPECT_GE(ink.left, left);
    EXPECT_LE(ink.right, right);
    EXPECT_GE(ink.top, top);
    EXPECT_LE(ink.bottom, bottom);
    EXPECT_LE(ink.left - left, 3);  // the ink fills the rectangle's width
    EXPECT_LE(right - ink.right, 3);

    // Byte text draws the same pixels.
    softImage wideFrame = stage.gfx.frame();
    stage.gfx.print(3, font, 0, c.justify, 100, 10, -1, 255, "Hello");
    stage.gfx.endFrame();
    EXPECT_EQ(softCompareImages(wideFrame, stage.gfx.frame(), 0).differingPixels, 0);
  }
}

TEST(softGfx, HeightLimitCutsTheRowsBelowIt) {
  CaptureLog log;
  Stage stage(120, 40);
  int font = stage.gfx.createFont("DejaVuSans.ttf:20");
  ASSERT_NE(font, -1);
  struct Case {
    int maxHeight;
    int inkBottomAtMost;  // -1: nothing drawn
  };
  const int y = 8;
  const Case cases[] = {{-1, y + stage.gfx.getFontHeight(font)}, {0, -1}, {12, y + 12}, {7, y + 7}};
  int fullBottom = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE("limit " + std::to_string(c.maxHeight));
    stage.gfx.print(1, font, 0, 0, 4, y, c.maxHeight, 255, "Hg");
    stage.gfx.endFrame();
    Ink ink = inkOf(stage.gfx.frame());
    if (c.inkBottomAtMost < 0) {
      EXPECT_TRUE(ink.empty());
      continue;
    }
    ASSERT_FALSE(ink.empty());
    EXPECT_LE(ink.bottom, c.inkBottomAtMost);
    if (c.maxHeight < 0)
      fullBottom = ink.bottom;
    else
      EXPECT_EQ(ink.bottom, std::min(fullBottom, y + c.maxHeight));
  }
}

TEST(softGfx, FontsAreNamedWithTheirSizeAndShared) {
  struct Case {
    const char* name;
    const char* message;  // null when the font loads
  };
  const Case cases[] = {
      {"DejaVuSans.ttf:24", nullptr},
      {"DejaVuSans-Bold:20", nullptr},
      {"default", nullptr},
      {"DejaVuSans.ttf", nullptr},
      {"nofont.ttf", "Cannot load font ^C00FF00nofont.ttf^c: no such file\f"},
      {"DejaVuSans.ttf:2",
       "Cannot load font ^C00FF00DejaVuSans.ttf:2^c: the size must be 4 to 256 "
       "pixels\f"},
      {"DejaVuSans.ttf:99999999999",
       "Cannot load font ^C00FF00DejaVuSans.ttf:99999999999^c: the "
       "size must be 4 to 256 pixels\f"},
  };
  Stage stage;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CaptureLog log;
    if (c.message)
      log.expect(c.message);
    int font = stage.gfx.createFont(c.name);
    EXPECT_EQ(font != -1, c.message == nullptr);
    if (font != -1) {
      EXPECT_STREQ(stage.gfx.getFontName(font), c.name);
    }
  }
  CaptureLog log;
  stage.text("junk.ttf", "not a font at all");
  log.expect("Cannot load font ^C00FF00junk.ttf^c: " + stage.dir.path("junk.ttf") +
             " is not a font FreeType can read\f");
  EXPECT_EQ(stage.gfx.createFont("junk.ttf"), -1);

  int small = stage.gfx.createFont("DejaVuSans.ttf");
  int large = stage.gfx.createFont("DejaVuSans.ttf:24");
  EXPECT_GT(stage.gfx.getFontHeight(large), stage.gfx.getFontHeight(small));
  stage.gfx.releaseFont(large);  // created twice: still there
  EXPECT_STREQ(stage.gfx.getFontName(large), "DejaVuSans.ttf:24");
  stage.gfx.releaseFont(large);
  EXPECT_EQ(stage.gfx.getFontName(large), nullptr);
  EXPECT_EQ(stage.gfx.getFontHeight(large), 0);
  stage.gfx.releaseFont(large);
}

TEST(softGfx, CharacterQueriesAgreeWithTheWidthsTable) {
  CaptureLog log;
  Stage stage;
  int font = stage.gfx.createFont("");
  int widths[256];
  int height = 0;
  stage.gfx.getFontDimensions(font, widths, &height);
  struct Case {
    unsigned int ch;
    bool exists;
  };
  const Case cases[] = {{'A', true}, {' ', true},   {0xE9, true},    {'\n', false},
                        {0, false},  {0x7F, false}, {0x4E2D, false}, {0x263A, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE("character " + std::to_string(c.ch));
    int width = -1;
    int charHeight = -1;
    EXPECT_EQ(stage.gfx.testFontChar(font, c.ch), c.exists);
    EXPECT_EQ(stage.gfx.getCharDimensions(font, 0, c.ch, &width, &charHeight), c.exists);
    EXPECT_EQ(charHeight, height);
    if (c.ch < 256) {
      EXPECT_EQ(width, widths[c.ch]);
    }
    if (c.ch < 0x20 || c.ch == 0x7F)
      EXPECT_EQ(width, 0);  // control characters take no room
    else
      EXPECT_GT(width, 0);  // missing ones take the missing-glyph box's
  }
  // An unknown font answers with nothing, and null outputs are allowed.
  EXPECT_FALSE(stage.gfx.testFontChar(font + 1, 'A'));
  stage.gfx.getFontDimensions(font + 1, widths, &height);
  EXPECT_EQ(widths['A'], 0);
  EXPECT_EQ(height, 0);
  stage.gfx.getFontDimensions(font, nullptr, nullptr);
  stage.gfx.getTextRect(font, 0, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr);
}

TEST(softGfx, TextColourComesFromTheSet) {
  CaptureLog log;
  Stage stage(40, 30);
  stage.gfx.setTextColour(2, softColour {255, 0, 0, 255});
  int font = stage.gfx.createFont("DejaVuSans.ttf:24");
  struct Case {
    int set;
    softColour brightest;
  };
  const Case cases[] = {{0, {255, 255, 255, 255}},
                        {2, {255, 0, 0, 255}},
                        {99, {255, 255, 255, 255}},
                        {-1, {255, 255, 255, 255}}};
  for (const Case& c : cases) {
    SCOPED_TRACE("set " + std::to_string(c.set));
    stage.gfx.print(1, font, c.set, 0, 2, 2, -1, 255, "I");
    stage.gfx.endFrame();
    Ink ink = inkOf(stage.gfx.frame());
    ASSERT_FALSE(ink.empty());
    // The middle of the stem is fully covered.
    expectColour(stage.pixel((ink.left + ink.right - 1) / 2, (ink.top + ink.bottom) / 2),
                 c.brightest);
  }
}

namespace {

const char* const SPARKS = R"(# a burst of sparks
rate = 0
count = 12
lifetime = 0.4 0.8
speed = 20 60
angle = 90 360
gravity = 0 40
startcolour = 255 240 160 255
endcolour = 255 80 0 64
size = 4 2
)";

softImage particleFrame(const char* name) {
  Stage stage(64, 48);
  stage.text("sparks.psys", SPARKS);
  int sparks = stage.gfx.createParticleSystemInstance(name, "sparks.psys");
  for (int step = 0; step < 5; ++step) {
    stage.gfx.updateParticleSystem(sparks, 32, 24, 0.05f);
    stage.gfx.psemit(2, sparks, 1.0f);
    stage.gfx.endFrame();
  }
  return stage.gfx.frame();
}

}  // namespace

TEST(softGfx, ParticlesRepeatExactlyForTheSameNameAndSteps) {
  CaptureLog log;
  softImage first = particleFrame("okbutton");
  softImage second = particleFrame("okbutton");
  ASSERT_TRUE(softCompareImages(first, second, 0).sameSize);
  EXPECT_EQ(softCompareImages(first, second, 0).differingPixels, 0);
  Ink ink = inkOf(first);
  ASSERT_FALSE(ink.empty());
  EXPECT_LT(ink.left, 32);  // spread around the emitter
  EXPECT_GT(ink.right, 32);
  // The instance's name takes part in the seed, so two buttons do not spark alike.
  EXPECT_GT(softCompareImages(first, particleFrame("cancelbutton"), 0).differingPixels, 0);
}

TEST(softGfx, ParticleSystemsDieStopAndRestart) {
  CaptureLog log;
  Stage stage;
  stage.text("burst.psys", "rate = 0\ncount = 5\nlifetime = 0.5 0.5\n");
  stage.text("fountain.psys", "rate = 20\ncount = 0\nlifetime = 0.3 0.3\nangle = 90 0\n");
  softGfx& gfx = stage.gfx;

  int burst = gfx.createParticleSystemInstance("burst", "burst.psys");
  ASSERT_NE(burst, -1);
  EXPECT_FALSE(gfx.particleSystemInstanceIsDead(burst));  // its particles are still to come
  gfx.updateParticleSystem(burst, 10, 10, 0.1f);
  EXPECT_FALSE(gfx.particleSystemInstanceIsDead(burst));
  gfx.updateParticleSystem(burst, 10, 10, 0.5f);
  EXPECT_TRUE(gfx.particleSystemInstanceIsDead(burst));
  gfx.addEvent(softGfx::EVENT_RESTART, 0, burst, 0, 0.0f, nullptr);
  EXPECT_FALSE(gfx.particleSystemInstanceIsDead(burst));
  gfx.addEvent(3, 0, burst, 0, 0.0f, nullptr);  // other events change nothing
  gfx.updateParticleSystem(burst, 10, 10, 0.1f);
  EXPECT_FALSE(gfx.particleSystemInstanceIsDead(burst));

  int fountain = gfx.createParticleSystemInstance("fountain", "fountain.psys");
  for (int step = 0; step < 20; ++step)
    gfx.updateParticleSystem(fountain, 30, 30, 0.1f);
  EXPECT_FALSE(gfx.particleSystemInstanceIsDead(fountain));  // endless until stopped
  gfx.particleSystemInstanceStopEmitters(fountain);
  gfx.updateParticleSystem(fountain, 30, 30, 0.1f);
  EXPECT_FALSE(gfx.particleSystemInstanceIsDead(fountain));  // the last particles finish
  gfx.psemit(1, fountain, 1.0f);
  gfx.endFrame();
  EXPECT_FALSE(inkOf(gfx.frame()).empty());
  gfx.updateParticleSystem(fountain, 30, 30, 0.3f);
  EXPECT_TRUE(gfx.particleSystemInstanceIsDead(fountain));

  // Two instances may share a name; releasing the name releases the newer one.
  int twin = gfx.createParticleSystemInstance("burst", "burst.psys");
  gfx.releaseParticleSystemInstance("burst");
  EXPECT_TRUE(gfx.particleSystemInstanceIsDead(twin));  // gone
  EXPECT_FALSE(gfx.particleSystemInstanceIsDead(burst));
  gfx.releaseParticleSystemInstance(burst);
  EXPECT_TRUE(gfx.particleSystemInstanceIsDead(burst));
  gfx.updateParticleSystem(burst, 0, 0, 1.0f);  // released ids are ignored
  gfx.psemit(1, burst, 1.0f);
  gfx.particleSystemInstanceStopEmitters(burst);
  gfx.releaseParticleSystemInstance("nobody");
}

// Read during a frame, the figures are those of the frame before.
TEST(softGfx, StatisticsDescribeTheLastFrame) {
  CaptureLog log;
  Stage stage;
  stage.solid("dot.png", 4, softColour {255, 255, 255, 255});
  stage.text("sparks.psys", SPARKS);
  int dot = stage.gfx.createSprite("dot");
  int font = stage.gfx.createFont("");
  int sparks = stage.gfx.createParticleSystemInstance("sparks", "sparks.psys");
  const gfxStats_s& stats = stage.gfx.stats;
  for (int frame = 0; frame < 40; ++frame) {
    stage.gfx.beginFrame(0.02f);
    stage.gfx.blt(1, dot, 0, 0, 0, 0, 255);
    stage.gfx.bltSort(1, 2, dot, 4, 0, 0, 0, 255);
    stage.gfx.print(1, font, 0, 0, 0, 8, -1, 255, "stats");
    stage.gfx.updateParticleSystem(sparks, 20, 20, 0.02f);
    stage.gfx.psemit(1, sparks, 1.0f);
    EXPECT_EQ(stats.bltCount, frame > 0 ? 2 : 0);
    stage.gfx.endFrame();
  }
  EXPECT_NEAR(stats.fps, 50.0f, 0.01f);
  EXPECT_EQ(std::vector<int>({stats.bltCount, stats.textCount, stats.psysCount}),
            std::vector<int>({2, 1, 1}));
  EXPECT_GT(stats.textureMemory, 4 * 4 * 4);  // the sprite, and the glyphs of "stats"
  EXPECT_GE(stats.otherMemory, 64 * 32 * 4);  // at least the frame
  EXPECT_EQ(stats.total, stats.textureMemory + stats.otherMemory);
  EXPECT_GE(stats.maxMemory, stats.total);
  stage.gfx.endFrame();
  EXPECT_EQ(stats.bltCount, 0);
}

TEST(softGfx, SteadyFramesAllocateNothing) {
  CaptureLog log;
  Stage stage;
  stage.solid("dot.png", 4, softColour {255, 255, 255, 255});
  stage.text("sparks.psys", SPARKS);
  stage.text("trail.psys", "rate = 50\ncount = 0\nlifetime = 0.2 0.4\nsprite = dot\n");
  int dot = stage.gfx.createSprite("dot");
  int font = stage.gfx.createFont("");
  int sparks = stage.gfx.createParticleSystemInstance("sparks", "sparks.psys");
  int trail = stage.gfx.createParticleSystemInstance("trail", "trail.psys");
  std::vector<unsigned int> text = wide("Steady");
  auto frame = [&](int n) {
    stage.gfx.beginFrame(0.016f);
    for (int i = 0; i < 20; ++i)
      stage.gfx.blt(i % 4, dot, i * 3, n % 7, 0, 0, 200);
    stage.gfx.print(2, font, 0, 2, 32, 4, -1, 255, text.data());
    stage.gfx.print(2, font, 0, 0, 0, 16, 8, 255, "Steady");
    stage.gfx.updateParticleSystem(sparks, 20, 20, 0.016f);
    stage.gfx.updateParticleSystem(trail, 40, 20, 0.016f);
    stage.gfx.psemit(1, sparks, 1.0f);
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
// by more than REFERENCE_TOLERANCE; at most REFERENCE_SLACK of the pixels may miss, which leaves
// room for another FreeType's antialiasing and nothing else. With UI_UPDATE_REFERENCES=1 in the
// environment the test writes the references instead of comparing.
const int REFERENCE_TOLERANCE = 8;
const double REFERENCE_SLACK = 0.01;

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
  softImageDiff diff = softCompareImages(expected, frame, REFERENCE_TOLERANCE);
  ASSERT_TRUE(diff.sameSize) << reference;
  int allowed = static_cast<int>(REFERENCE_SLACK * frame.width * frame.height);
  if (diff.differingPixels > allowed) {
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
  stage.text("tiles.sprite", "image = tiles.png\nframe = 8 8\nframes = 2\n");
}

}  // namespace

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
  gfx.blt(1, tiles, 40, 16, 0, 0, 255);  // cut by the frame's corner
  gfx.endFrame();
  expectMatchesReference(gfx.frame(), "sprites");
}

TEST(softGfx, TextAndParticleSceneMatchesItsReference) {
  CaptureLog log;
  Stage stage(96, 48);
  paintTiles(stage);
  stage.text("sparks.psys", SPARKS);
  stage.text("bubbles.psys",
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
