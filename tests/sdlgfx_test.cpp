#include "sdlgfx.h"

#include "capturelog.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

// The window backend draws the scenes of the software backend through SDL's offscreen video
// driver; the pixels it reads back must match the software frames. Only the drawing differs
// between the two, so any difference beyond filtering and antialiasing is a fault.

namespace {

const int TOLERANCE = 8;  // per channel
// Particles are compared in blocks of 4 x 4 pixels: SDL filters the edges of scaled quads by its
// own rules (the accelerated renderers differ by up to 15 per block, the software one by up to
// 30), but a particle out of place, missing or in another colour changes its block by more.
const int PARTICLE_BLOCK = 4;
const int PARTICLE_TOLERANCE = 40;

// Art drawn by code in a fresh folder that both backends look in.
class Art {
public:
  Art() {
    paint("tiles.png", 16, 8, [](int x, int y) {
      if (x < 8)
        return ((x / 2 + y / 2) % 2) ? softColour {230, 60, 40, 255}
                                     : softColour {250, 210, 60, 255};
      int dx = x - 12, dy = y - 4;
      uint8_t alpha = dx * dx + dy * dy <= 12 ? 255 : dx * dx + dy * dy <= 20 ? 120 : 0;
      return softColour {60, uint8_t(140 + y * 12), 230, alpha};
    });
    dir.write("tiles.sprite", "image = tiles.png\nframe = 8 8\nframes = 2\n");
    dir.write("sparks.psys",
              "rate = 0\ncount = 12\nlifetime = 0.4 0.8\nspeed = 20 60\nangle = 90 360\n"
              "gravity = 0 40\nstartcolour = 255 240 160 255\nendcolour = 255 80 0 64\n"
              "size = 5 2\n");
    dir.write("bubbles.psys",
              "rate = 30\ncount = 8\nlifetime = 1 1\nspeed = 30 60\nangle = 90 90\n"
              "sprite = tiles\nsize = 6 10\nstartcolour = 255 255 255 255\n"
              "endcolour = 255 255 255 128\n");
  }
  std::string folder() const { return dir.path(""); }

private:
  void paint(const std::string& name, int width, int height,
             const std::function<softColour(int, int)>& colour) {
    softImage image;
    image.resize(width, height);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        softColour c = colour(x, y);
        uint8_t* pixel = image.at(x, y);
        pixel[0] = c.r;
        pixel[1] = c.g;
        pixel[2] = c.b;
        pixel[3] = c.a;
      }
    softSavePNG(dir.path(name).c_str(), image);
  }

  TempDir dir;
};

void spriteScene(softGfx& gfx) {
  int tiles = gfx.createSprite("tiles");
  gfx.beginFrame(0.016f);
  gfx.blt(2, tiles, 6, 6, 0, 1, 200);
  gfx.blt(1, tiles, 2, 2, 0, 0, 255);
  gfx.bltSort(1, 4, tiles, 14, 2, 0, 1, 255);
  gfx.bltSort(1, 3, tiles, 12, 4, 0, 0, 255);
  gfx.blt(1, tiles, 24, 2, 5, 3, 0, 0, 255);
  gfx.blt(1, tiles, 32, 2, 2, 2, 20, 20, 0, 1, 128);
  gfx.blt(1, tiles, 44, 20, 0, 0, 255);   // cut by the frame's corner
  gfx.blt(1, tiles, -3, 16, 0, 1, 255);   // and by its left edge
  gfx.endFrame();
}

void textScene(softGfx& gfx) {
  gfx.setTextColour(1, softColour {120, 200, 255, 255});
  int font = gfx.createFont("DejaVuSans.ttf:14");
  gfx.beginFrame(0.016f);
  gfx.print(3, font, 0, 2, 48, 2, -1, 255, "Ag\xe9");
  gfx.print(3, font, 1, 1, 94, 20, 9, 200, "ok!");
  const unsigned int wide[] = {0x3A9, 'x', 0x2192, 0};
  gfx.print(2, font, 0, 0, 4, 26, -1, 160, wide);
  gfx.endFrame();
}

// More large glyphs than one atlas holds (about 28 at this size): the atlas starts again within
// the frame, after the glyphs drawn from its old contents.
void manyGlyphsScene(softGfx& gfx) {
  int font = gfx.createFont("DejaVuSans.ttf:256");
  const char* lines[] = {"ABCDEF", "GHIJKL", "MNOPQR", "STUVWX", "YZ0123", "456789"};
  gfx.beginFrame(0.016f);
  for (int line = 0; line < 6; ++line)
    gfx.print(1, font, 0, 0, 0, line * 300, -1, 255, lines[line]);
  gfx.endFrame();
}

void particleScene(softGfx& gfx) {
  int sparks = gfx.createParticleSystemInstance("sparks", "sparks.psys");
  int bubbles = gfx.createParticleSystemInstance("bubbles", "bubbles.psys");
  for (int step = 0; step < 6; ++step) {
    gfx.updateParticleSystem(sparks, 20, 30, 0.05f);
    gfx.updateParticleSystem(bubbles, 70, 40, 0.05f);
  }
  gfx.beginFrame(0.05f);
  gfx.psemit(2, sparks, 1.0f);
  gfx.psemit(4, bubbles, 0.8f);
  gfx.endFrame();
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

// Draws a scene on both backends and compares what the window shows with the software frame.
void expectSameFrame(const std::function<void(softGfx&)>& scene, int width, int height,
                     int block, int tolerance, const char* name) {
  setenv("SDL_VIDEODRIVER", "offscreen", 1);  // never a window on the desktop
  CaptureLog log;
  Art art;
  softGfx soft(width, height);
  sdlGfx window("sdlgfx test", width, height);
  ASSERT_TRUE(window.ok());
  for (softGfx* gfx : {static_cast<softGfx*>(&soft), static_cast<softGfx*>(&window)}) {
    gfx->addSearchPath(art.folder().c_str());
    gfx->setClearColour(softColour {0, 0, 0, 255});
    scene(*gfx);
  }
  softImage shown;
  ASSERT_TRUE(window.readFrame(&shown));
  softImageDiff diff = softCompareImages(blockAverages(soft.frame(), block),
                                         blockAverages(shown, block), tolerance);
  ASSERT_TRUE(diff.sameSize);
  if (diff.differingPixels > 0) {
    std::string base =
        (std::filesystem::temp_directory_path() / (std::string("sdlgfx_") + name)).string();
    softSavePNG((base + "_soft.png").c_str(), soft.frame());
    softSavePNG((base + "_sdl.png").c_str(), shown);
    ADD_FAILURE() << diff.differingPixels << " blocks of " << block << " x " << block
                  << " pixels differ (largest difference " << diff.largestDelta << ") on the "
                  << window.rendererName() << " renderer; both frames are in " << base
                  << "_*.png";
  }
}

}  // namespace

TEST(sdlGfx, SpritesMatchTheSoftwareBackend) {
  expectSameFrame(spriteScene, 48, 24, 1, TOLERANCE, "sprites");
}

TEST(sdlGfx, TextMatchesTheSoftwareBackend) {
  expectSameFrame(textScene, 96, 48, 1, TOLERANCE, "text");
}

TEST(sdlGfx, GlyphsBeyondOneAtlasMatchTheSoftwareBackend) {
  expectSameFrame(manyGlyphsScene, 1200, 1800, 1, TOLERANCE, "glyphs");
}

TEST(sdlGfx, ParticlesMatchTheSoftwareBackend) {
  expectSameFrame(particleScene, 96, 48, PARTICLE_BLOCK, PARTICLE_TOLERANCE, "particles");
}
