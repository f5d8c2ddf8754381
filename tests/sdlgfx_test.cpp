#include "sdlgfx.h"

#include "capturelog.h"
#include "softscenes.h"

#include <gtest/gtest.h>

#include <cstdlib>

// The window backend draws the software backend's scenes through SDL's offscreen video driver.
// Only the drawing differs, so any difference beyond filtering and antialiasing is a fault.

namespace {

// More large glyphs than one atlas holds (about 28 at this size): the atlas starts again within
// the frame, after the glyphs drawn from its old contents.
void manyGlyphsScene(softGfx& gfx) {
  int font = gfx.createFont("DejaVuSans.ttf:256");
  const char* lines[] = {"ABCDEF", "GHIJKL", "MNOPQR", "STUVWX", "YZ0123", "456789"};
  for (int line = 0; line < 6; ++line)
    gfx.print(1, font, 0, 0, 0, line * 300, -1, 255, lines[line]);
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

// Particles are compared in blocks of 4 x 4 pixels: SDL filters the edges of scaled quads its own
// way (up to 30 per block), but a particle out of place, missing or recoloured changes more.
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
    EXPECT_TRUE(diff.sameSize);
    EXPECT_EQ(diff.differingPixels, 0) << "largest difference " << diff.largestDelta << " on the "
                                       << window.rendererName() << " renderer";
  }
}
