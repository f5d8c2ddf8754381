#include "sdlgfx.h"

#include "capturelog.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

// The window backend draws the scenes through SDL's offscreen video driver; the pixels it reads
// back must match the software backend's frames. Only the drawing differs between the two, so any
// difference beyond filtering and antialiasing is a fault.

namespace {

// Art drawn by code in a fresh folder that both backends look in: a checkered frame and a round,
// half-transparent one, and two particle systems.
void paintArt(const TempDir& dir) {
  softImage tiles;
  tiles.resize(16, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 16; ++x) {
      int dx = x - 12, dy = y - 4;
      uint8_t alpha = dx * dx + dy * dy <= 12 ? 255 : dx * dx + dy * dy <= 20 ? 120 : 0;
      softColour c = (x / 2 + y / 2) % 2 ? softColour {230, 60, 40, 255}
                                         : softColour {250, 210, 60, 255};
      if (x >= 8)
        c = softColour {60, uint8_t(140 + y * 12), 230, alpha};
      uint8_t* pixel = tiles.at(x, y);
      pixel[0] = c.r, pixel[1] = c.g, pixel[2] = c.b, pixel[3] = c.a;
    }
  softSavePNG(dir.path("tiles.png").c_str(), tiles);
  dir.write("tiles.sprite", "image = tiles.png\nframe = 8 8\nframes = 2\n");
  dir.write("sparks.psys",
            "rate = 0\ncount = 12\nlifetime = 0.4 0.8\nspeed = 20 60\nangle = 90 360\n"
            "gravity = 0 40\nstartcolour = 255 240 160 255\nendcolour = 255 80 0 64\nsize = 5 2\n");
  dir.write("bubbles.psys",
            "rate = 30\ncount = 8\nlifetime = 1 1\nspeed = 30 60\nangle = 90 90\nsprite = tiles\n"
            "size = 6 10\nstartcolour = 255 255 255 255\nendcolour = 255 255 255 128\n");
}

void spriteScene(softGfx& gfx) {
  int tiles = gfx.createSprite("tiles");
  gfx.blt(2, tiles, 6, 6, 0, 1, 200);
  gfx.blt(1, tiles, 2, 2, 0, 0, 255);
  gfx.bltSort(1, 4, tiles, 14, 2, 0, 1, 255);
  gfx.bltSort(1, 3, tiles, 12, 4, 0, 0, 255);
  gfx.blt(1, tiles, 24, 2, 5, 3, 0, 0, 255);
  gfx.blt(1, tiles, 32, 2, 2, 2, 20, 20, 0, 1, 128);
  gfx.blt(1, tiles, 44, 20, 0, 0, 255);  // cut by the frame's corner
  gfx.blt(1, tiles, -3, 16, 0, 1, 255);  // and by its left edge
}

void textScene(softGfx& gfx) {
  gfx.setTextColour(1, softColour {120, 200, 255, 255});
  int font = gfx.createFont("DejaVuSans.ttf:14");
  gfx.print(3, font, 0, 2, 48, 2, -1, 255, "Ag\xe9");
  gfx.print(3, font, 1, 1, 94, 20, 9, 200, "ok!");
  const unsigned int wide[] = {0x3A9, 'x', 0x2192, 0};
  gfx.print(2, font, 0, 0, 4, 26, -1, 160, wide);
}

// More large glyphs than one atlas holds (about 28 at this size): the atlas starts again within
// the frame, after the glyphs drawn from its old contents.
void manyGlyphsScene(softGfx& gfx) {
  int font = gfx.createFont("DejaVuSans.ttf:256");
  const char* lines[] = {"ABCDEF", "GHIJKL", "MNOPQR", "STUVWX", "YZ0123", "456789"};
  for (int line = 0; line < 6; ++line)
    gfx.print(1, font, 0, 0, 0, line * 300, -1, 255, lines[line]);
}

void particleScene(softGfx& gfx) {
  int sparks = gfx.createParticleSystemInstance("sparks", "sparks.psys");
  int bubbles = gfx.createParticleSystemInstance("bubbles", "bubbles.psys");
  for (int step = 0; step < 6; ++step) {
    gfx.updateParticleSystem(sparks, 20, 30, 0.05f);
    gfx.updateParticleSystem(bubbles, 70, 40, 0.05f);
  }
  gfx.psemit(2, sparks, 1.0f);
  gfx.psemit(4, bubbles, 0.8f);
}

// The average of each block of size x size pixels.
softImage blockAverages(const softImage& image, int size) {
  softImage blocks;
  blocks.resize(image.width / size, image.height / size);
  for (int by = 0; by < blocks.height; ++by)
    for (int bx = 0; bx < blocks.width; ++bx)
      for (int c = 0; c < 4; ++c) {
        int sum = 0;
        for (int y = 0; y < size; ++y)
          for (int x = 0; x < size; ++x)
            sum += image.at(bx * size + x, by * size + y)[c];
        blocks.at(bx, by)[c] = static_cast<uint8_t>(sum / (size * size));
      }
  return blocks;
}

}  // namespace

// Particles are compared in blocks of 4 x 4 pixels: SDL filters the edges of scaled quads by its
// own rules (up to 30 per block), but a particle out of place, missing or in another colour
// changes its block by more.
TEST(sdlGfx, ScenesMatchTheSoftwareBackend) {
  struct Case {
    const char* name;
    void (*scene)(softGfx&);
    int width, height, block, tolerance;
  } cases[] = {
      {"sprites", spriteScene, 48, 24, 1, 8},
      {"text", textScene, 96, 48, 1, 8},
      {"glyphs", manyGlyphsScene, 1200, 1800, 1, 8},
      {"particles", particleScene, 96, 48, 4, 40},
  };
  setenv("SDL_VIDEODRIVER", "offscreen", 1);  // never a window on the desktop
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CaptureLog log;
    TempDir art;
    paintArt(art);
    softGfx soft(c.width, c.height);
    sdlGfx window("sdlgfx test", c.width, c.height);
    ASSERT_TRUE(window.ok());
    for (softGfx* gfx : {&soft, static_cast<softGfx*>(&window)}) {
      gfx->addSearchPath(art.folder().c_str());
      gfx->setClearColour(softColour {0, 0, 0, 255});
      gfx->beginFrame(0.05f);
      c.scene(*gfx);
      gfx->endFrame();
    }
    softImage shown;
    ASSERT_TRUE(window.readFrame(&shown));
    softImageDiff diff = softCompareImages(blockAverages(soft.frame(), c.block),
                                           blockAverages(shown, c.block), c.tolerance);
    ASSERT_TRUE(diff.sameSize);
    if (diff.differingPixels > 0) {
      std::string base = (std::filesystem::temp_directory_path() / "sdlgfx_").string() + c.name;
      softSavePNG((base + "_soft.png").c_str(), soft.frame());
      softSavePNG((base + "_sdl.png").c_str(), shown);
      ADD_FAILURE() << diff.differingPixels << " blocks differ (largest difference "
                    << diff.largestDelta << ") on the " << window.rendererName()
                    << " renderer; both frames are in " << base << "_*.png";
    }
  }
}
