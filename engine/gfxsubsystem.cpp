#include "gfxsubsystem.h"

gfxSubsystem* g_gfx = nullptr;

namespace {

void zero(int* value) {
  if (value)
    *value = 0;
}

}  // namespace

gfxSubsystem::~gfxSubsystem() = default;

int gfxSubsystem::createSprite(const char*) {
  return -1;
}

void gfxSubsystem::releaseSprite(const char*) {}

const char* gfxSubsystem::getSpriteName(int) {
  return nullptr;
}

int gfxSubsystem::getSpriteWidth(int) {
  return 0;
}

int gfxSubsystem::getSpriteHeight(int) {
  return 0;
}

int gfxSubsystem::getSpriteFrameCount(int, int) {
  return 0;
}

void gfxSubsystem::setupAlphaTestSprite(int) {}

bool gfxSubsystem::alphaTestSprite(int, int, int, int, int) {
  return false;
}

void gfxSubsystem::blt(int, int, int, int, int, int, unsigned char) {}

void gfxSubsystem::blt(int, int, int, int, int, int, int, int, unsigned char) {}

void gfxSubsystem::blt(int, int, int, int, int, int, int, int, int, int, unsigned char) {}

void gfxSubsystem::bltSort(int, int, int, int, int, int, int, unsigned char) {}

void gfxSubsystem::print(int, int, int, unsigned int, int, int, int, unsigned char, const char*) {}

void gfxSubsystem::print(int, int, int, unsigned int, int, int, int, unsigned char,
                         const unsigned int*) {}

int gfxSubsystem::createFont(const char*) {
  return -1;
}

void gfxSubsystem::releaseFont(int) {}

const char* gfxSubsystem::getFontName(int) {
  return nullptr;
}

int gfxSubsystem::getFontHeight(int) {
  return 0;
}

void gfxSubsystem::getFontDimensions(int, int* widths256, int* height) {
  for (int i = 0; widths256 && i < 256; ++i)
    widths256[i] = 0;
  zero(height);
}

bool gfxSubsystem::getCharDimensions(int, int, unsigned int, int* width, int* height) {
  zero(width);
  zero(height);
  return false;
}

bool gfxSubsystem::testFontChar(int, unsigned int) {
  return false;
}

void gfxSubsystem::getTextRect(int, unsigned int, int x, int y, const unsigned int*, int* left,
                               int* top, int* right, int* bottom) {
  // An empty rectangle at the pen position: the text has no size.
  if (left)
    *left = x;
  if (right)
    *right = x;
  if (top)
    *top = y;
  if (bottom)
    *bottom = y;
}

int gfxSubsystem::createParticleSystemInstance(const char*, const char*) {
  return -1;
}

void gfxSubsystem::releaseParticleSystemInstance(const char*) {}

void gfxSubsystem::releaseParticleSystemInstance(int) {}

void gfxSubsystem::updateParticleSystem(int, int, int, float) {}

void gfxSubsystem::psemit(int, int, float) {}

bool gfxSubsystem::particleSystemInstanceIsDead(int) {
  return false;
}

void gfxSubsystem::particleSystemInstanceStopEmitters(int) {}

void gfxSubsystem::addEvent(int, int, int, int, float, void*) {}

int gfxSubsystem::getScreenWidth() {
  return 0;
}

int gfxSubsystem::getMaxDepthNode() {
  return 0;
}

void gfxSubsystem::registerThread(const char*) {}

void gfxSubsystem::unregisterThread(const char*) {}
