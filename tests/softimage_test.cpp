#include "softimage.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

softImage filled(int width, int height, softColour colour) {
  softImage image;
  image.resize(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint8_t* pixel = image.at(x, y);
      pixel[0] = colour.r;
      pixel[1] = colour.g;
      pixel[2] = colour.b;
      pixel[3] = colour.a;
    }
  return image;
}

}  // namespace

// The comparison decides every reference image test, so it must look at the right pixels: a
// wide image with one changed pixel in its last row catches an index formula that mixes up x and
// y (such as (y * x + x), which maps (4, 2) onto (2, 2)).
TEST(softImage, CompareFindsExactlyTheChangedPixels) {
  struct Case {
    int x, y, delta, tolerance;
    int differing, largest;
  };
  const Case cases[] = {
      {4, 2, 40, 8, 1, 40}, {0, 0, 40, 8, 1, 40}, {2, 1, 8, 8, 0, 8},
      {3, 2, 9, 8, 1, 9},   {4, 0, 0, 0, 0, 0},
  };
  softImage reference = filled(5, 3, softColour {100, 100, 100, 255});
  for (const Case& c : cases) {
    SCOPED_TRACE("pixel " + std::to_string(c.x) + "," + std::to_string(c.y) + " delta " +
                 std::to_string(c.delta));
    softImage changed = reference;
    changed.at(c.x, c.y)[1] = static_cast<uint8_t>(100 + c.delta);
    softImageDiff diff = softCompareImages(reference, changed, c.tolerance);
    EXPECT_TRUE(diff.sameSize);
    EXPECT_EQ(diff.differingPixels, c.differing);
    EXPECT_EQ(diff.largestDelta, c.largest);
  }
  // Every channel counts, alpha included, and a pixel counts once however many channels differ.
  softImage changed = reference;
  changed.at(1, 1)[3] = 0;
  changed.at(1, 1)[0] = 0;
  EXPECT_EQ(softCompareImages(reference, changed, 0).differingPixels, 1);
  EXPECT_FALSE(softCompareImages(reference, filled(3, 5, softColour {}), 0).sameSize);
}

TEST(softImage, PNGKeepsEveryChannel) {
  std::string path =
      (std::filesystem::temp_directory_path() / "softimage_test_roundtrip.png").string();
  softImage image;
  image.resize(7, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 7; ++x) {
      uint8_t* pixel = image.at(x, y);
      pixel[0] = static_cast<uint8_t>(x * 36);
      pixel[1] = static_cast<uint8_t>(y * 120);
      pixel[2] = static_cast<uint8_t>(x * y * 11);
      pixel[3] = static_cast<uint8_t>(255 - x * 30);
    }
  ASSERT_TRUE(softSavePNG(path.c_str(), image));
  softImage loaded;
  ASSERT_TRUE(softLoadPNG(path.c_str(), &loaded));
  softImageDiff diff = softCompareImages(image, loaded, 0);
  EXPECT_TRUE(diff.sameSize);
  EXPECT_EQ(diff.largestDelta, 0);
  std::remove(path.c_str());

  EXPECT_FALSE(softLoadPNG(path.c_str(), &loaded));
  EXPECT_EQ(loaded.width, 0);
  EXPECT_TRUE(loaded.pixels.empty());
  EXPECT_FALSE(softSavePNG(path.c_str(), softImage()));
}

// Blocks that hang over the edge of the source frame or of the destination are cut, never read
// or written past either image.
TEST(softImage, BlitClipsToTheFrameAndTheDestination) {
  softImage sheet = filled(8, 4, softColour {255, 0, 0, 255});
  for (int y = 0; y < 4; ++y)
    for (int x = 4; x < 8; ++x)
      sheet.at(x, y)[1] = 255;  // the second frame is yellow
  const softRect firstFrame {0, 0, 4, 4};
  struct Case {
    const char* what;
    int x, y, srcX, srcY, w, h;
    int drawnPixels;
  };
  const Case cases[] = {
      {"whole frame", 1, 1, 0, 0, 4, 4, 16},
      {"block wider than the frame", 0, 0, 2, 0, 10, 1, 2},
      {"block left of the frame", 0, 0, -3, 0, 4, 1, 1},
      {"off the destination's left", -2, 0, 0, 0, 4, 4, 8},
      {"off the destination's bottom right", 4, 4, 0, 0, 4, 4, 4},
      {"huge coordinates", 2147483000, -2147483000, 2147483000, 0, 2147483647, 2147483647, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    softImage frame = filled(6, 6, softColour {0, 0, 0, 255});
    softDraw::blit(frame, sheet, firstFrame, c.x, c.y, c.srcX, c.srcY, c.w, c.h, softColour {});
    int red = 0;
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 6; ++x) {
        EXPECT_EQ(frame.at(x, y)[1], 0) << "the neighbouring frame showed at " << x << "," << y;
        red += frame.at(x, y)[0] == 255;
      }
    EXPECT_EQ(red, c.drawnPixels);
  }
}
