#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// An RGBA image of 8 bits per channel with straight (not premultiplied) alpha: the pixels of sprite
// sheets and of the software backend's frames. Rows run top to bottom without padding.
struct softImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;  // width * height * 4 bytes, R G B A

  void resize(int w, int h);  // every pixel transparent black
  uint8_t* at(int x, int y) { return &pixels[(static_cast<size_t>(y) * width + x) * 4]; }
  const uint8_t* at(int x, int y) const {
    return &pixels[(static_cast<size_t>(y) * width + x) * 4];
  }
  size_t byteSize() const { return pixels.size(); }
};

// Reads any PNG as RGBA; false (with the image left empty) when the file cannot be read.
bool softLoadPNG(const char* path, softImage* image);
// Writes the image as an RGBA PNG; false when the file cannot be written.
bool softSavePNG(const char* path, const softImage& image);

// How two images differ: the number of pixels where a channel differs by more than the
// tolerance, and the largest difference of any channel. Images of different sizes do not compare.
struct softImageDiff {
  bool sameSize = false;
  int differingPixels = 0;
  int largestDelta = 0;
};
softImageDiff softCompareImages(const softImage& a, const softImage& b, int tolerance);

// Colour of a draw call: RGBA multiplied into the source pixels.
struct softColour {
  uint8_t r = 255, g = 255, b = 255, a = 255;
};

// A rectangle of pixels: left, top, width, height.
struct softRect {
  int x = 0, y = 0, w = 0, h = 0;
};

// Compositing into an opaque frame. Every operation clips to the frame and to the source, so no
// argument can make it read or write outside either image.
namespace softDraw {

// Multiplies two 0..255 values as fractions of 255, rounded.
inline uint8_t mul255(unsigned int a, unsigned int b) {
  unsigned int t = a * b + 128;
  return static_cast<uint8_t>((t + (t >> 8)) >> 8);
}

// Blends one straight-alpha colour over an opaque pixel with the given coverage (0..255).
void blendPixel(uint8_t* dst, const uint8_t* rgba, unsigned int coverage);

// Draws the w x h block whose top-left is (srcX, srcY) within `frame`, a rectangle of `src`, at
// (x, y), tinted. The block is clipped to the frame: nothing of a neighbouring frame shows.
void blit(softImage& dst, const softImage& src, const softRect& frame, int x, int y, int srcX,
          int srcY, int w, int h, softColour tint);
// Draws `frame`, a rectangle of `src`, stretched over the rectangle of dstW x dstH at (x, y),
// sampling the nearest source pixel.
void blitScaled(softImage& dst, const softImage& src, const softRect& frame, float x, float y,
                float dstW, float dstH, softColour tint);
// A filled disc with a soft one-pixel edge.
void disc(softImage& dst, float centreX, float centreY, float radius, softColour colour);
// An 8-bit coverage mask of w x h (rows `pitch` bytes apart) at (x, y), drawn only in the rows
// above `clipBottom` (exclusive).
void coverage(softImage& dst, const uint8_t* mask, int pitch, int x, int y, int w, int h,
              int clipBottom, softColour colour);

}  // namespace softDraw
