#include "softimage.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

void softImage::resize(int w, int h) {
  width = std::max(w, 0);
  height = std::max(h, 0);
  pixels.assign(static_cast<size_t>(width) * height * 4, 0);
}

bool softLoadPNG(const char* path, softImage* image) {
  *image = softImage();
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&png, path))
    return false;
  png.format = PNG_FORMAT_RGBA;
  image->resize(static_cast<int>(png.width), static_cast<int>(png.height));
  if (!png_image_finish_read(&png, nullptr, image->pixels.data(), 0, nullptr)) {
    png_image_free(&png);
    *image = softImage();
    return false;
  }
  return true;
}

bool softSavePNG(const char* path, const softImage& image) {
  if (image.width <= 0 || image.height <= 0)
    return false;
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(image.width);
  png.height = static_cast<png_uint_32>(image.height);
  png.format = PNG_FORMAT_RGBA;
  return png_image_write_to_file(&png, path, 0, image.pixels.data(), 0, nullptr) != 0;
}

softImageDiff softCompareImages(const softImage& a, const softImage& b, int tolerance) {
  softImageDiff diff;
  diff.sameSize = a.width == b.width && a.height == b.height;
  if (!diff.sameSize)
    return diff;
  for (int y = 0; y < a.height; ++y) {
    for (int x = 0; x < a.width; ++x) {
      const uint8_t* pa = a.at(x, y);
      const uint8_t* pb = b.at(x, y);
      int worst = 0;
      for (int c = 0; c < 4; ++c)
        worst = std::max(worst, std::abs(pa[c] - pb[c]));
      diff.largestDelta = std::max(diff.largestDelta, worst);
      if (worst > tolerance)
        ++diff.differingPixels;
    }
  }
  return diff;
}

namespace softDraw {

void blendPixel(uint8_t* dst, const uint8_t* rgba, unsigned int coverage) {
  unsigned int a = mul255(rgba[3], coverage);
  if (a == 0)
    return;
  for (int c = 0; c < 3; ++c)
    dst[c] = static_cast<uint8_t>((rgba[c] * a + dst[c] * (255 - a) + 127) / 255);
  dst[3] = 255;
}

namespace {

// Shrinks [start, start + length) to [0, limit), moving `other` by the same amount as start.
// Wide integers keep any int arguments from overflowing.
void clipSpan(long long& start, long long& length, long long limit, long long& other) {
  if (start < 0) {
    length += start;
    other -= start;
    start = 0;
  }
  length = std::min(length, limit - start);
}

void tintedPixel(uint8_t* dst, const uint8_t* src, softColour tint) {
  uint8_t rgba[4] = {mul255(src[0], tint.r), mul255(src[1], tint.g), mul255(src[2], tint.b),
                     mul255(src[3], tint.a)};
  blendPixel(dst, rgba, 255);
}

// The pixel column or row of a coordinate, limited to 0..limit; positions far off the image
// (or not numbers at all) cannot overflow the conversion.
int pixelAt(float v, int limit) {
  if (!(v > 0.0f))
    return 0;
  return v >= static_cast<float>(limit) ? limit : static_cast<int>(v);
}

bool insideImage(const softImage& image, const softRect& rect) {
  return rect.x >= 0 && rect.y >= 0 && rect.w >= 0 && rect.h >= 0 &&
         rect.x + rect.w <= image.width && rect.y + rect.h <= image.height;
}

}  // namespace

void blit(softImage& dst, const softImage& src, const softRect& frame, int dstX, int dstY,
          int srcX0, int srcY0, int width, int height, softColour tint) {
  if (!insideImage(src, frame))
    return;
  long long x = dstX, y = dstY, srcX = srcX0, srcY = srcY0, w = width, h = height;
  // Clip the block to the source frame, then to the destination image.
  clipSpan(srcX, w, frame.w, x);
  clipSpan(srcY, h, frame.h, y);
  clipSpan(x, w, dst.width, srcX);
  clipSpan(y, h, dst.height, srcY);
  if (w <= 0 || h <= 0 || tint.a == 0)
    return;
  for (int row = 0; row < h; ++row) {
    const uint8_t* in = src.at(frame.x + int(srcX), frame.y + int(srcY + row));
    uint8_t* out = dst.at(int(x), int(y + row));
    for (int col = 0; col < w; ++col, in += 4, out += 4)
      tintedPixel(out, in, tint);
  }
}

void blitScaled(softImage& dst, const softImage& src, const softRect& frame, float x, float y,
                float dstW, float dstH, softColour tint) {
  if (frame.w <= 0 || frame.h <= 0 || !insideImage(src, frame))
    return;
  if (!(dstW > 0.0f && dstH > 0.0f) || tint.a == 0)
    return;
  int left = pixelAt(x, dst.width);
  int top = pixelAt(y, dst.height);
  int right = pixelAt(std::ceil(x + dstW), dst.width);
  int bottom = pixelAt(std::ceil(y + dstH), dst.height);
  for (int py = top; py < bottom; ++py) {
    // Sample at the pixel's centre; centres outside the stretched rectangle draw nothing.
    float v = (py + 0.5f - y) / dstH;
    if (v < 0.0f || v >= 1.0f)
      continue;
    int sy = frame.y + std::min(frame.h - 1, static_cast<int>(v * frame.h));
    for (int px = left; px < right; ++px) {
      float u = (px + 0.5f - x) / dstW;
      if (u < 0.0f || u >= 1.0f)
        continue;
      int sx = frame.x + std::min(frame.w - 1, static_cast<int>(u * frame.w));
      tintedPixel(dst.at(px, py), src.at(sx, sy), tint);
    }
  }
}

void disc(softImage& dst, float centreX, float centreY, float radius, softColour colour) {
  if (!(radius > 0.0f) || colour.a == 0)
    return;
  int left = pixelAt(centreX - radius - 1.0f, dst.width);
  int top = pixelAt(centreY - radius - 1.0f, dst.height);
  int right = pixelAt(centreX + radius + 1.0f, dst.width);
  int bottom = pixelAt(centreY + radius + 1.0f, dst.height);
  const uint8_t rgba[4] = {colour.r, colour.g, colour.b, colour.a};
  for (int py = top; py < bottom; ++py) {
    for (int px = left; px < right; ++px) {
      float dx = px + 0.5f - centreX;
      float dy = py + 0.5f - centreY;
      float edge = radius + 0.5f - std::sqrt(dx * dx + dy * dy);
      if (edge <= 0.0f)
        continue;
      unsigned int cover = edge >= 1.0f ? 255u : static_cast<unsigned int>(edge * 255.0f + 0.5f);
      blendPixel(dst.at(px, py), rgba, cover);
    }
  }
}

void coverage(softImage& dst, const uint8_t* mask, int pitch, int dstX, int dstY, int width,
              int height, int clipBottom, softColour colour) {
  long long x = dstX, y = dstY, w = width, h = height, maskX = 0, maskY = 0;
  h = std::min(h, clipBottom - y);
  clipSpan(x, w, dst.width, maskX);
  clipSpan(y, h, dst.height, maskY);
  if (w <= 0 || h <= 0 || colour.a == 0)
    return;
  const uint8_t rgba[4] = {colour.r, colour.g, colour.b, colour.a};
  for (int row = 0; row < h; ++row) {
    const uint8_t* in = mask + (maskY + row) * pitch + maskX;
    uint8_t* out = dst.at(int(x), int(y + row));
    for (int col = 0; col < w; ++col, out += 4)
      if (in[col])
        blendPixel(out, rgba, in[col]);
  }
}

}  // namespace softDraw
