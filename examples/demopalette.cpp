#include "demopalette.h"

#include "softgfx.h"

void demoSetPalette(softGfx& gfx) {
  const softColour colours[] = {
    {236, 242, 255, 255},  // 0 white
    {255, 204, 92, 255},   // 1 gold: titles
    {120, 220, 255, 255},  // 2 cyan: headings
    {140, 152, 190, 255},  // 3 grey-blue: captions and hints
    {0, 0, 10, 170},       // 4 shadow
    {255, 110, 190, 255},  // 5 magenta
    {130, 255, 170, 255},  // 6 green
    {104, 110, 128, 255},  // 7 dimmed: disabled captions
  };
  for (int set = 0; set < 8; ++set)
    gfx.setTextColour(set, colours[set]);
}
