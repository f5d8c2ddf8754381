#pragma once

class softGfx;

// The text colours the examples' UI files pick with their "set" keys: 0 white, 1 gold titles,
// 2 cyan headings, 3 grey-blue captions, 4 shadow, 5 magenta, 6 green, 7 dimmed.
void demoSetPalette(softGfx& gfx);
