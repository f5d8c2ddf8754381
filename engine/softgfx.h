#pragma once

#include "gfxsubsystem.h"
#include "softfiles.h"
#include "softfont.h"
#include "softimage.h"
#include "softparticles.h"
#include "softsprite.h"

#include <chrono>
#include <cstdint>
#include <mutex>
#include <vector>

// A graphics library that draws in memory: a frame the size of a screen, sprites from PNG sprite
// sheets, TrueType text and particle systems. It lets a game (or a test, or a tool) see what the
// UI library draws without a window:
//
//   softGfx gfx;                 // 800 x 600
//   gfx.addSearchPath("art");    // where sprites, fonts and particle files are looked up
//   g_gfx = &gfx;
//   gfx.beginFrame(1.0f / 60);   // the frame's time, for the frame rate
//   ui.render(16);
//   gfx.endFrame();              // composites the draw calls
//   gfx.savePNG("frame.png");
//
// The statistics record describes the last composited frame (frame rate over the last 30 frames,
// calls of each kind); its memory figures follow every load and release. Texture memory is the
// sprite sheets and cached glyphs, the other memory the frame and the gathered calls.
//
// Draw calls are gathered during a frame and composited by endFrame into a frame cleared to the
// clear colour, in this order: depth node (lower first, so higher depths cover lower ones;
// depths are held to 0 ... getMaxDepthNode()), then sort level (blt, print and psemit use level
// 0, bltSort its own), then the order of the calls. Alpha blends over what is below; the frame
// itself stays opaque.
//
// Text: justify 0 starts the text at x, 1 ends it at x, 2 centres it on x (2 wins when both bits
// are set); y is the top of the line. Byte text is Latin-1, one character per byte, so that the
// 256 widths of getFontDimensions measure it. The `set` of print picks the text colour from a
// palette of 16 (setTextColour; all white at first); other sets draw in colour 0. A height limit
// of -1 draws the whole line; any other value draws only the rows above y + limit.
//
// Sprites, fonts and particle systems are described in softsprite.h, softfont.h and
// softparticles.h. The alpha test counts a pixel as a hit from alpha 128 up. The sheets stay in
// memory, so setupAlphaTestSprite has nothing to prepare.
//
// Every operation takes one lock, so a worker thread may load while frames run. Once every
// sprite, glyph and particle pool a frame uses exists, a frame allocates nothing.
class softGfx : public gfxSubsystem {
public:
  explicit softGfx(int width = 800, int height = 600);
  ~softGfx() override;
  softGfx(const softGfx&) = delete;
  softGfx& operator=(const softGfx&) = delete;

  // Setup.
  void addSearchPath(const char* folder);
  void setClearColour(softColour colour);
  void setTextColour(int set, softColour colour);
  void setMaxDepthNode(int depth);

  // Frames. `seconds` is the time since the previous frame; below 0 the clock measures it.
  void beginFrame(float seconds = -1.0f);
  void endFrame();
  const softImage& frame() const { return m_frame; }  // the last composited frame
  bool savePNG(const char* path) const;
  int getScreenHeight() const { return m_frame.height; }

  int createSprite(const char* file) override;
  void releaseSprite(const char* name) override;
  const char* getSpriteName(int sprite) override;
  int getSpriteWidth(int sprite) override;
  int getSpriteHeight(int sprite) override;
  int getSpriteFrameCount(int sprite, int anim) override;
  void setupAlphaTestSprite(int sprite) override;
  bool alphaTestSprite(int sprite, int anim, int frame, int x, int y) override;
  void blt(int depth, int sprite, int x, int y, int anim, int frame, unsigned char alpha) override;
  void blt(int depth, int sprite, int x, int y, int width, int height, int anim, int frame,
           unsigned char alpha) override;
  void blt(int depth, int sprite, int x, int y, int srcX, int srcY, int width, int height, int anim,
           int frame, unsigned char alpha) override;
  void bltSort(int depth, int sortLevel, int sprite, int x, int y, int anim, int frame,
               unsigned char alpha) override;

  void print(int depth, int font, int set, unsigned int justify, int x, int y, int maxHeight,
             unsigned char alpha, const char* text) override;
  void print(int depth, int font, int set, unsigned int justify, int x, int y, int maxHeight,
             unsigned char alpha, const unsigned int* text) override;
  int createFont(const char* file) override;
  void releaseFont(int font) override;
  const char* getFontName(int font) override;
  int getFontHeight(int font) override;
  void getFontDimensions(int font, int* widths256, int* height) override;
  bool getCharDimensions(int font, int set, unsigned int ch, int* width, int* height) override;
  bool testFontChar(int font, unsigned int ch) override;
  void getTextRect(int font, unsigned int justify, int x, int y, const unsigned int* text,
                   int* left, int* top, int* right, int* bottom) override;

  int createParticleSystemInstance(const char* name, const char* file) override;
  void releaseParticleSystemInstance(const char* name) override;
  void releaseParticleSystemInstance(int instance) override;
  void updateParticleSystem(int instance, int x, int y, float seconds) override;
  void psemit(int depth, int instance, float opacity) override;
  bool particleSystemInstanceIsDead(int instance) override;
  void particleSystemInstanceStopEmitters(int instance) override;
  void addEvent(int type, int value, int instance, int value2, float f, void* data) override;

  int getScreenWidth() override;
  int getMaxDepthNode() override;
  void registerThread(const char* label) override;
  void unregisterThread(const char* label) override;

  static const int TEXT_COLOURS = 16;
  static const size_t MAX_TEXT = 4096;  // characters of one print; the rest is not drawn
  static const int EVENT_RESTART = 4;   // addEvent type that restarts a particle system

protected:
  // The drawing primitives that endFrame ends in, in the frame's drawing order. This class draws
  // into frame(); a backend that draws elsewhere (a window) overrides all five and shares the
  // loading, gathering, ordering and layout. Sprites and fonts come with their ids, which are
  // never given twice.
  virtual void _drawClear(softColour colour);
  // The block (srcX, srcY, w, h) of `frame`, a rectangle of the sprite's sheet, at (x, y); the
  // block is clipped to the frame as softDraw::blit does.
  virtual void _drawBlock(int spriteId, const softSprite& sprite, const softRect& frame, int x,
                          int y, int srcX, int srcY, int w, int h, softColour tint);
  // `frame` stretched over w x h at (x, y), sampling the nearest pixel.
  virtual void _drawStretched(int spriteId, const softSprite& sprite, const softRect& frame,
                              float x, float y, float w, float h, softColour tint);
  virtual void _drawDisc(float centreX, float centreY, float radius, softColour colour);
  // One line of text whose top-left is (x, y), justified already; rows from clipBottom down are
  // not drawn.
  virtual void _drawText(int fontId, softFont& font, const uint32_t* text, size_t length, int x,
                         int y, int clipBottom, softColour colour);

private:
  enum class Kind : uint8_t { SPRITE, TEXT, DISC, STRETCHED };

  // One gathered draw call. Sprites and text are looked up again when composited, so a resource
  // released in the meantime draws nothing instead of freed memory.
  struct Command {
    Kind kind;
    int depth;
    int sortLevel;
    int id;  // sprite or font
    int x, y;
    softRect block;     // SPRITE: part of the frame, relative to the frame
    int anim, frame;    // SPRITE, STRETCHED
    softColour colour;  // tint, with the call's alpha
    size_t textStart;   // TEXT: characters in m_text
    size_t textLength;
    unsigned int justify;
    int clipBottom;
    float centreX, centreY, size;  // DISC, STRETCHED
  };

  void _sprite(int depth, int sortLevel, int sprite, int x, int y, softRect block, int anim,
               int frame, unsigned char alpha);
  void _text(int depth, int font, int set, unsigned int justify, int x, int y, int maxHeight,
             unsigned char alpha, size_t start);
  void _particle(int depth, const softParticleSystem& system, const softParticle& particle,
                 float opacity);
  int _justifiedLeft(int x, int width, unsigned int justify) const;
  int _depth(int depth) const;
  void _composite(const Command& command);
  void _compositeSprite(const Command& command);
  void _compositeText(const Command& command);
  void _compositeStretched(const Command& command);
  void _updateStats();
  void _updateMemoryStats();

  mutable std::recursive_mutex m_mutex;
  softSearchPath m_paths;
  softSpriteTable m_sprites {m_paths};
  softFontTable m_fonts {m_paths};
  softParticleTable m_particles {m_paths, m_sprites};

  softImage m_frame;
  softColour m_clear {24, 26, 32, 255};
  softColour m_textColours[TEXT_COLOURS];
  int m_maxDepthNode = 95;

  std::vector<Command> m_commands;
  std::vector<uint32_t> m_order;  // indices of m_commands in drawing order
  std::vector<uint32_t> m_text;   // characters of the frame's print calls

  int m_frameBlts = 0;
  int m_frameTexts = 0;
  int m_framePsys = 0;
  float m_frameTimes[30] {};  // seconds, a ring for the frame rate
  int m_frameTimeCount = 0;
  int m_frameTimeNext = 0;
  std::chrono::steady_clock::time_point m_lastFrame {};
  bool m_clockStarted = false;
};
