#pragma once

#include "softgfx.h"
#include "tempdir.h"

#include <functional>
#include <string>

// Art drawn by code and the scenes drawn with it, shared by the software backend's reference
// images and the window backend's comparison with the software frames.

// Writes a PNG whose pixel (x, y) has colour(x, y).
inline bool saveSheet(const std::string& path, int width, int height,
                      const std::function<softColour(int x, int y)>& colour) {
  softImage image;
  image.resize(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      softColour c = colour(x, y);
      uint8_t* pixel = image.at(x, y);
      pixel[0] = c.r, pixel[1] = c.g, pixel[2] = c.b, pixel[3] = c.a;
    }
  return softSavePNG(path.c_str(), image);
}

// The sprite "tiles" (a checkered frame and a round, half-transparent one, each 8 x 8) and two
// particle systems: a burst of sparks, and bubbles drawn with tiles.
inline void paintArt(const TempDir& dir) {
  saveSheet(dir.path("tiles.png"), 16, 8, [](int x, int y) {
    if (x < 8)
      return ((x / 2 + y / 2) % 2) ? softColour {230, 60, 40, 255} : softColour {250, 210, 60, 255};
    int dx = x - 12, dy = y - 4;
    uint8_t alpha = dx * dx + dy * dy <= 12 ? 255 : dx * dx + dy * dy <= 20 ? 120 : 0;
    return softColour {60, uint8_t(140 + y * 12), 230, alpha};
  });
  dir.write("tiles.sprite", "image = tiles.png\nframe = 8 8\nframes = 2\n");
  dir.write("sparks.psys",
            "# a burst of sparks\nrate = 0\ncount = 12\nlifetime = 0.4 0.8\nspeed = 20 60\n"
            "angle = 90 360\ngravity = 0 40\nstartcolour = 255 240 160 255\n"
            "endcolour = 255 80 0 64\nsize = 4 2\n");
  dir.write("bubbles.psys",
            "rate = 30\ncount = 8\nlifetime = 1 1\nspeed = 30 60\nangle = 90 90\nsprite = tiles\n"
            "size = 6 10\nstartcolour = 255 255 255 255\nendcolour = 255 255 255 128 // fading\n");
}

// Depth against call order, sort levels, the alpha of pixel and call, and the three blt forms
// with parts inside and beyond the sprite's frame. For 48 x 24 pixels.
inline void spriteScene(softGfx& gfx) {
  int tiles = gfx.createSprite("tiles");
  gfx.blt(2, tiles, 6, 6, 0, 1, 200);  // above the checker, though drawn first
  gfx.blt(1, tiles, 2, 2, 0, 0, 255);
  gfx.bltSort(1, 4, tiles, 14, 2, 0, 1, 255);
  gfx.bltSort(1, 3, tiles, 12, 4, 0, 0, 255);
  gfx.blt(1, tiles, 24, 2, 5, 3, 0, 0, 255);
  gfx.blt(1, tiles, 32, 2, 2, 2, 20, 20, 0, 1, 128);
  gfx.blt(1, tiles, 40, 16, 0, 0, 255);
}

// Justification, the height limit and colour sets. For 96 x 48 pixels.
inline void textScene(softGfx& gfx) {
  gfx.setTextColour(1, softColour {120, 200, 255, 255});
  int font = gfx.createFont("DejaVuSans.ttf:14");
  gfx.print(3, font, 0, 2, 48, 2, -1, 255, "Ag\xe9");
  gfx.print(3, font, 1, 1, 94, 20, 9, 200, "ok!");  // cut at 9 rows
}

// Particles of both kinds, seeded by their names, after 0.3 seconds. For 96 x 48 pixels.
inline void particleScene(softGfx& gfx) {
  int sparks = gfx.createParticleSystemInstance("sparks", "sparks.psys");
  int bubbles = gfx.createParticleSystemInstance("bubbles", "bubbles.psys");
  for (int step = 0; step < 6; ++step) {
    gfx.updateParticleSystem(sparks, 20, 30, 0.05f);
    gfx.updateParticleSystem(bubbles, 70, 40, 0.05f);
  }
  gfx.psemit(2, sparks, 1.0f);
  gfx.psemit(4, bubbles, 0.8f);
}
