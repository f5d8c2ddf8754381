#pragma once

#include "core.h"
#include "gfxsubsystem.h"
#include "udlogger.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

// What the fuzz targets share: a graphics backend that knows every sprite, font and particle
// system it is asked for (so that loaded widgets get as far as drawing), a silent log, and a
// check that a run gave back every block it took.

class FuzzGfx : public gfxSubsystem {
public:
  int createSprite(const char*) override { return 1; }
  const char* getSpriteName(int) override { return "sprite"; }
  int getSpriteWidth(int) override { return 16; }
  int getSpriteHeight(int) override { return 16; }
  int getSpriteFrameCount(int, int anim) override { return anim % 3; }
  bool alphaTestSprite(int, int, int frame, int x, int y) override { return (x + y + frame) & 1; }
  int createFont(const char*) override { return 1; }
  const char* getFontName(int) override { return "font"; }
  int getFontHeight(int) override { return 12; }
  // Widths from 0 to 12, so that some characters take no room at all.
  void getFontDimensions(int, int* widths, int* height) override {
    for (int c = 0; c < 256; ++c)
      widths[c] = c % 13;
    *height = 12;
  }
  bool getCharDimensions(int, int, unsigned int ch, int* width, int* height) override {
    *width = static_cast<int>(ch % 13);
    *height = 12;
    return true;
  }
  bool testFontChar(int, unsigned int ch) override { return ch % 5 != 0; }
  int createParticleSystemInstance(const char*, const char*) override { return 1; }
  int getScreenWidth() override { return 640; }
  int getMaxDepthNode() override { return 100; }
};

inline void fuzzSilenceLog() {
  udLogger::setSink([](void*, int, const char*) {}, nullptr);
}

// The bytes of an input followed by a NUL, in a block of exactly that size, so that a read past
// the terminator is caught.
inline std::vector<char> fuzzText(const unsigned char* data, size_t size) {
  std::vector<char> text(data, data + size);
  text.push_back('\0');
  text.shrink_to_fit();
  return text;
}

// Live blocks of the two tags the library uses; a run that does not give them all back aborts.
class FuzzMemoryBalance {
public:
  FuzzMemoryBalance() : m_transient(g_MemoryPtr->liveCount(0)), m_kept(g_MemoryPtr->liveCount(9)) {}
  void check() const {
    if (g_MemoryPtr->liveCount(0) != m_transient || g_MemoryPtr->liveCount(9) != m_kept) {
      std::fprintf(stderr, "memory not given back: tag 0 %zu -> %zu, tag 9 %zu -> %zu\n",
                   m_transient, g_MemoryPtr->liveCount(0), m_kept, g_MemoryPtr->liveCount(9));
      std::abort();
    }
  }

private:
  size_t m_transient;
  size_t m_kept;
};
