#pragma once

#include "softgfx.h"

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

struct SDL_FRect;
struct SDL_Rect;
struct SDL_Renderer;
struct SDL_Texture;
struct SDL_Window;

// A graphics library that draws in a window through SDL2's renderer: the accelerated one where
// the system has one, SDL's software renderer otherwise. It loads, gathers, orders and lays out
// everything exactly as softGfx does, from the same sprite sheets, descriptors, fonts and
// particle files; only the drawing differs. Sprite sheets become textures, glyphs are packed into
// one atlas texture per font, and particles are textured quads.
//
//   sdlGfx gfx("menu", 800, 600);  // opens the window; see ok()
//   g_gfx = &gfx;
//   each frame: gfx.beginFrame(); ui.render(ms); gfx.endFrame(); gfx.present();
//
// The window shows the frame at the size given here, scaled when the window is resized; SDL
// reports mouse positions in frame pixels. Textures are made on the thread that draws, the
// first time they are drawn, and dropped at the first frame after their sprite or font is
// released, so a worker thread may create and release resources while frames run.
class sdlGfx : public softGfx {
public:
  // `windowFlags` are added to SDL_CreateWindow's (for example SDL_WINDOW_RESIZABLE).
  sdlGfx(const char* title, int width, int height, uint32_t windowFlags = 0);
  ~sdlGfx() override;

  bool ok() const { return m_renderer != nullptr; }  // false when SDL failed (logged)
  SDL_Window* window() const { return m_window; }
  SDL_Renderer* renderer() const { return m_renderer; }
  const char* rendererName() const;  // as SDL names it, "" when there is none

  // Shows what endFrame drew.
  void present();
  // Reads what endFrame drew, before present, as an image of the frame's size.
  bool readFrame(softImage* image);

  static constexpr int ATLAS_SIZE = 1024;  // pixels of each side of a font's glyph atlas
  static constexpr int DISC_SMALLEST = 4;  // texels across the smallest particle disc texture
  static constexpr int DISC_LEVELS = 7;    // discs of 4 to 256 texels

protected:
  void _drawClear(softColour colour) override;
  void _drawBlock(int spriteId, const softSprite& sprite, const softRect& frame, int x, int y,
                  int srcX, int srcY, int w, int h, softColour tint) override;
  void _drawStretched(int spriteId, const softSprite& sprite, const softRect& frame, float x,
                      float y, float w, float h, softColour tint) override;
  void _drawDisc(float centreX, float centreY, float radius, softColour colour) override;
  void _drawText(int fontId, softFont& font, const uint32_t* text, size_t length, int x, int y,
                 int clipBottom, softColour colour) override;

private:
  // Where a glyph sits in its font's atlas.
  struct AtlasSlot {
    int x, y, w, h;
  };
  // The glyphs of one font drawn so far, packed in rows. A full atlas starts again empty.
  struct Atlas {
    SDL_Texture* texture = nullptr;
    std::unordered_map<uint32_t, AtlasSlot> slots;
    int rowX = 0, rowY = 0, rowHeight = 0;
  };

  void _dropReleased();
  SDL_Texture* _spriteTexture(int spriteId, const softSprite& sprite);
  Atlas* _atlas(int fontId);
  const AtlasSlot* _glyphSlot(Atlas& atlas, softFont& font, uint32_t ch, const softGlyph& glyph);
  SDL_Texture* _discTexture(int level);
  void _copy(SDL_Texture* texture, const SDL_Rect* source, const SDL_FRect& target);
  SDL_Texture* _texture(int width, int height, const uint8_t* rgba);

  int m_width, m_height;
  bool m_videoStarted = false;
  bool m_snapToPixels = false;  // quads on whole pixels, for SDL's software renderer
  SDL_Window* m_window = nullptr;      // owned
  SDL_Renderer* m_renderer = nullptr;  // owned
  std::unordered_map<int, SDL_Texture*> m_spriteTextures;  // owned, by sprite id
  std::unordered_map<int, std::unique_ptr<Atlas>> m_atlases;  // by font id
  SDL_Texture* m_discs[DISC_LEVELS] {};  // owned, made when first drawn
  std::vector<uint8_t> m_glyphPixels;  // a glyph's pixels on their way into an atlas
};
