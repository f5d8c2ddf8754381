#include "softimage.h"

#include <gtest/gtest.h>

#include <string>

namespace {

softImage filled(int width, int height, uint8_t red) {
  softImage image;
  image.resize(width, height);
  for (size_t i = 0; i < image.pixels.size(); i += 4)
    image.pixels[i] = red, image.pixels[i + 3] = 255;
  return image;
}

}  // namespace

// Every reference image test rests on the comparison, so it must look at the right pixels: a
// change at (4, 2) of a wide image catches an index formula that mixes up x and y (such as
// y * x + x, which maps (4, 2) onto (2, 2)). A pixel counts once however many channels differ.
TEST(softImage, CompareFindsExactlyTheChangedPixels) {
  struct Case {
    int x, y, delta, tolerance;
    int differing;
  } cases[] = {{4, 2, 40, 8, 1}, {0, 0, 40, 8, 1}, {2, 1, 8, 8, 0}, {3, 2, 9, 8, 1}};
  softImage reference = filled(5, 3, 100);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "pixel " << c.x << "," << c.y << " delta " << c.delta);
    softImage changed = reference;
    changed.at(c.x, c.y)[0] += c.delta;
    changed.at(c.x, c.y)[3] -= c.delta / 2;
    softImageDiff diff = softCompareImages(reference, changed, c.tolerance);
    EXPECT_EQ(diff.differingPixels, c.differing);
    EXPECT_EQ(diff.largestDelta, c.delta);
  }
  EXPECT_FALSE(softCompareImages(reference, filled(3, 5, 100), 0).sameSize);
}

// Blocks that hang over the edge of the source frame or of the destination are cut, never read
// or written past either image, whatever the coordinates.
TEST(softImage, BlitClipsToTheFrameAndTheDestination) {
  softImage sheet = filled(8, 4, 255);
  for (size_t i = 0; i < sheet.pixels.size(); i += 4)
    sheet.pixels[i + 1] = (i / 4) % 8 >= 4 ? 255 : 0;  // the second frame is yellow
  struct Case {
    const char* what;
    int x, y, srcX, srcY, w, h;
    int drawnPixels;
  } cases[] = {
      {"whole frame", 1, 1, 0, 0, 4, 4, 16},
      {"block wider than the frame", 0, 0, 2, 0, 10, 1, 2},
      {"block left of the frame", 0, 0, -3, 0, 4, 1, 1},
      {"off the destination's left", -2, 0, 0, 0, 4, 4, 8},
      {"off the destination's bottom right", 4, 4, 0, 0, 4, 4, 4},
      {"huge coordinates", 2147483000, -2147483000, 2147483000, 0, 2147483647, 2147483647, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    softImage frame = filled(6, 6, 0);
    softDraw::blit(frame, sheet, softRect {0, 0, 4, 4}, c.x, c.y, c.srcX, c.srcY, c.w, c.h,
                   softColour {});
    int red = 0, yellow = 0;
    for (size_t i = 0; i < frame.pixels.size(); i += 4)
      red += frame.pixels[i] == 255, yellow += frame.pixels[i + 1] != 0;
    EXPECT_EQ(red, c.drawnPixels);
    EXPECT_EQ(yellow, 0) << "the neighbouring frame showed";
  }
}
