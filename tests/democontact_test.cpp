#include "democontact.h"

#include "softimage.h"

#include "tempdir.h"

#include <gtest/gtest.h>

namespace {

// A frame whose every 3 x 3 block has one colour, different from its neighbours': the block at
// column c, row r is (c * 40, r * 60, 200, 255).
softImage blocks(int columns, int rows) {
  softImage frame;
  frame.resize(columns * demoContactSheet::SCALE, rows * demoContactSheet::SCALE);
  for (int y = 0; y < frame.height; ++y) {
    for (int x = 0; x < frame.width; ++x) {
      uint8_t* p = frame.at(x, y);
      p[0] = static_cast<uint8_t>(x / demoContactSheet::SCALE * 40);
      p[1] = static_cast<uint8_t>(y / demoContactSheet::SCALE * 60);
      p[2] = 200;
      p[3] = 255;
    }
  }
  return frame;
}

}  // namespace

TEST(demoContactSheet, ThumbnailsStandInRowsOfFourWithAnAverageOfEachBlock) {
  TempDir folder;
  demoContactSheet sheet;
  EXPECT_FALSE(sheet.save(folder.path("empty.png").c_str()));

  softImage frame = blocks(4, 3);
  // One block with a pixel of its own, so that only an average gives its thumbnail pixel.
  frame.at(4, 4)[2] = 110;
  for (int i = 0; i < 5; ++i)
    sheet.add(frame, "frame " + std::to_string(i));
  ASSERT_TRUE(sheet.save(folder.path("sheet.png").c_str()));

  softImage saved;
  ASSERT_TRUE(softLoadPNG(folder.path("sheet.png").c_str(), &saved));
  // 12-pixel margins around cells of 4 x (3 + 24) pixels: four columns, two rows.
  EXPECT_EQ(saved.width, 12 + 4 * (4 + 12));
  EXPECT_EQ(saved.height, 12 + 2 * (3 + 24 + 12));
  struct Probe {
    int x, y;  // on the sheet
    int red, green, blue;
  };
  const Probe probes[] = {
    {12, 12, 0, 0, 200},             // first thumbnail, top-left
    {12 + 3, 12 + 2, 120, 120, 200},  // first thumbnail, bottom-right
    {12 + 1, 12 + 1, 40, 60, 190},    // the block with its own pixel: (8 * 200 + 110) / 9
    {12 + 16 * 3, 12, 0, 0, 200},     // fourth thumbnail
    {12, 12 + 39, 0, 0, 200},         // fifth thumbnail, on the second row
    {11, 11, 14, 16, 26},             // the margin
  };
  for (const Probe& probe : probes) {
    SCOPED_TRACE(std::to_string(probe.x) + ", " + std::to_string(probe.y));
    const uint8_t* p = saved.at(probe.x, probe.y);
    EXPECT_EQ(p[0], probe.red);
    EXPECT_EQ(p[1], probe.green);
    EXPECT_EQ(p[2], probe.blue);
    EXPECT_EQ(p[3], 255);
  }
}
