#include "sdlgfx.h"

#include "udlogger.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>

namespace {

const float DISC_EDGE = 1.4f;  // texels

// Shrinks [start, start + length) to [0, limit), moving `other` by the same amount as start, as
// the software backend clips a block.
void clipSpan(long long& start, long long& length, long long limit, long long& other) {
  if (start < 0) {
    length += start;
    other -= start;
    start = 0;
  }
  length = std::min(length, limit - start);
}

bool insideSheet(const softSprite& sprite, const softRect& frame) {
  return frame.x >= 0 && frame.y >= 0 && frame.w > 0 && frame.h > 0 &&
         frame.x + frame.w <= sprite.sheet.width && frame.y + frame.h <= sprite.sheet.height;
}

void tint(SDL_Texture* texture, softColour colour) {
  SDL_SetTextureColorMod(texture, colour.r, colour.g, colour.b);
  SDL_SetTextureAlphaMod(texture, colour.a);
}

// A texture that could not be made is kept as null, so that it is not tried at every frame.
void destroy(SDL_Texture* texture) {
  if (texture)
    SDL_DestroyTexture(texture);
}

// A finite float that SDL can take as a coordinate.
bool drawable(float v) {
  return std::isfinite(v) && std::fabs(v) < 1.0e7f;
}

}  // namespace

sdlGfx::sdlGfx(const char* title, int width, int height, uint32_t windowFlags)
    : softGfx(width, height),
      m_width(std::max(width, 1)),
      m_height(std::max(height, 1)) {
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    udLogger::log(2, "SDL cannot start its video: %s\f", SDL_GetError());
    return;
  }
  m_videoStarted = true;
  m_window = SDL_CreateWindow(title ? title : "", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                              m_width, m_height, windowFlags);
  if (!m_window) {
    udLogger::log(2, "SDL cannot open a window: %s\f", SDL_GetError());
    return;
  }
  m_renderer = SDL_CreateRenderer(m_window, -1, SDL_RENDERER_ACCELERATED |
                                                    SDL_RENDERER_PRESENTVSYNC);
  if (!m_renderer)
    m_renderer = SDL_CreateRenderer(m_window, -1, SDL_RENDERER_SOFTWARE);
  if (!m_renderer) {
    udLogger::log(2, "SDL cannot make a renderer: %s\f", SDL_GetError());
    return;
  }
  SDL_RendererInfo info;
  m_snapToPixels = SDL_GetRendererInfo(m_renderer, &info) == 0 &&
                   (info.flags & SDL_RENDERER_SOFTWARE) != 0;
  SDL_RenderSetLogicalSize(m_renderer, m_width, m_height);
}

sdlGfx::~sdlGfx() {
  for (auto& entry : m_spriteTextures)
    destroy(entry.second);
  for (auto& entry : m_atlases)
    destroy(entry.second->texture);
  for (SDL_Texture* disc : m_discs)
    destroy(disc);
  if (m_renderer)
    SDL_DestroyRenderer(m_renderer);
  if (m_window)
    SDL_DestroyWindow(m_window);
  if (m_videoStarted)
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

const char* sdlGfx::rendererName() const {
  SDL_RendererInfo info;
  if (!m_renderer || SDL_GetRendererInfo(m_renderer, &info) != 0)
    return "";
  return info.name;
}

void sdlGfx::present() {
  if (m_renderer)
    SDL_RenderPresent(m_renderer);
}

bool sdlGfx::readFrame(softImage* image) {
  if (!m_renderer)
    return false;
  int width = 0, height = 0;
  if (SDL_GetRendererOutputSize(m_renderer, &width, &height) != 0)
    return false;
  image->resize(width, height);
  return SDL_RenderReadPixels(m_renderer, nullptr, SDL_PIXELFORMAT_RGBA32, image->pixels.data(),
                              width * 4) == 0;
}

// -- Drawing --

// A frame starts by dropping the textures of what was released since the last one.
void sdlGfx::_drawClear(softColour colour) {
  if (!m_renderer)
    return;
  _dropReleased();
  SDL_SetRenderDrawColor(m_renderer, colour.r, colour.g, colour.b, 255);
  SDL_RenderClear(m_renderer);
}

void sdlGfx::_drawBlock(int spriteId, const softSprite& sprite, const softRect& frame, int x,
                        int y, int srcX, int srcY, int w, int h, softColour colour) {
  if (!m_renderer || !insideSheet(sprite, frame) || colour.a == 0)
    return;
  long long left = x, top = y, blockX = srcX, blockY = srcY, width = w, height = h;
  clipSpan(blockX, width, frame.w, left);
  clipSpan(blockY, height, frame.h, top);
  clipSpan(left, width, m_width, blockX);
  clipSpan(top, height, m_height, blockY);
  SDL_Texture* texture = _spriteTexture(spriteId, sprite);
  if (width <= 0 || height <= 0 || !texture)
    return;
  SDL_Rect source {frame.x + int(blockX), frame.y + int(blockY), int(width), int(height)};
  SDL_Rect target {int(left), int(top), int(width), int(height)};
  tint(texture, colour);
  SDL_RenderCopy(m_renderer, texture, &source, &target);
}

void sdlGfx::_drawStretched(int spriteId, const softSprite& sprite, const softRect& frame, float x,
                            float y, float w, float h, softColour colour) {
  if (!m_renderer || !insideSheet(sprite, frame) || colour.a == 0)
    return;
  if (!drawable(x) || !drawable(y) || !(w > 0.0f && h > 0.0f) || !drawable(w) || !drawable(h))
    return;
  SDL_Texture* texture = _spriteTexture(spriteId, sprite);
  if (!texture)
    return;
  SDL_Rect source {frame.x, frame.y, frame.w, frame.h};
  tint(texture, colour);
  _copy(texture, &source, SDL_FRect {x, y, w, h});
}

// A textured quad from the smallest disc texture at least as large as the disc, so that the
// linear filter never shrinks a texture by half or more and the soft edge stays about a pixel.
void sdlGfx::_drawDisc(float centreX, float centreY, float radius, softColour colour) {
  if (!m_renderer || !(radius > 0.0f) || colour.a == 0)
    return;
  if (!drawable(centreX) || !drawable(centreY) || !drawable(radius))
    return;
  float half = radius + 0.5f;
  int level = 0;
  while (level + 1 < DISC_LEVELS && (DISC_SMALLEST << level) < 2.0f * half)
    ++level;
  SDL_Texture* disc = _discTexture(level);
  if (!disc)
    return;
  SDL_FRect target {centreX - half, centreY - half, 2.0f * half, 2.0f * half};
  tint(disc, colour);
  _copy(disc, nullptr, target);
}

void sdlGfx::_drawText(int fontId, softFont& font, const uint32_t* text, size_t length, int x,
                       int y, int clipBottom, softColour colour) {
  Atlas* atlas = m_renderer && colour.a ? _atlas(fontId) : nullptr;
  if (!atlas)
    return;
  tint(atlas->texture, colour);
  font.layout(text, length, x, y, [&](uint32_t ch, const softGlyph& glyph, int left, int top) {
    const AtlasSlot* slot = _glyphSlot(*atlas, font, ch, glyph);
    long long rows = std::min<long long>(slot ? slot->h : 0, static_cast<long long>(clipBottom) - top);
    if (rows <= 0)
      return;
    SDL_Rect source {slot->x, slot->y, slot->w, int(rows)};
    SDL_Rect target {left, top, slot->w, int(rows)};
    SDL_RenderCopy(m_renderer, atlas->texture, &source, &target);
  });
}

// SDL's software renderer places quads on whole pixels only, and cuts the fraction off. Here a
// quad starts at the first pixel whose centre it covers, as in the software backend, and keeps
// its rounded size, so that a disc stays round.
void sdlGfx::_copy(SDL_Texture* texture, const SDL_Rect* source, const SDL_FRect& target) {
  if (!m_snapToPixels) {
    SDL_RenderCopyF(m_renderer, texture, source, &target);
    return;
  }
  SDL_Rect snapped;
  snapped.x = static_cast<int>(std::ceil(target.x - 0.5f));
  snapped.y = static_cast<int>(std::ceil(target.y - 0.5f));
  snapped.w = static_cast<int>(std::lround(target.w));
  snapped.h = static_cast<int>(std::lround(target.h));
  if (snapped.w > 0 && snapped.h > 0)
    SDL_RenderCopy(m_renderer, texture, source, &snapped);
}

// -- Textures --

void sdlGfx::_dropReleased() {
  for (auto entry = m_spriteTextures.begin(); entry != m_spriteTextures.end();) {
    if (getSpriteName(entry->first)) {
      ++entry;
      continue;
    }
    destroy(entry->second);
    entry = m_spriteTextures.erase(entry);
  }
  for (auto entry = m_atlases.begin(); entry != m_atlases.end();) {
    if (getFontName(entry->first)) {
      ++entry;
      continue;
    }
    destroy(entry->second->texture);
    entry = m_atlases.erase(entry);
  }
}

SDL_Texture* sdlGfx::_spriteTexture(int spriteId, const softSprite& sprite) {
  auto known = m_spriteTextures.find(spriteId);
  if (known != m_spriteTextures.end())
    return known->second;
  SDL_Texture* texture = _texture(sprite.sheet.width, sprite.sheet.height,
                                  sprite.sheet.pixels.data());
  if (texture)
    SDL_SetTextureScaleMode(texture, SDL_ScaleModeNearest);
  m_spriteTextures.emplace(spriteId, texture);  // a failure is not tried again at every frame
  return texture;
}

sdlGfx::Atlas* sdlGfx::_atlas(int fontId) {
  auto known = m_atlases.find(fontId);
  if (known != m_atlases.end())
    return known->second->texture ? known->second.get() : nullptr;
  auto atlas = std::make_unique<Atlas>();
  atlas->texture = _texture(ATLAS_SIZE, ATLAS_SIZE, nullptr);
  Atlas* made = atlas->texture ? atlas.get() : nullptr;
  m_atlases.emplace(fontId, std::move(atlas));
  return made;
}

// Glyphs are packed left to right in rows; a glyph that does not fit the atlas any more empties
// it. SDL finishes the draws queued with the old contents before it changes a texture.
const sdlGfx::AtlasSlot* sdlGfx::_glyphSlot(Atlas& atlas, softFont& font, uint32_t ch,
                                            const softGlyph& glyph) {
  auto known = atlas.slots.find(ch);
  if (known != atlas.slots.end())
    return &known->second;
  if (glyph.width > ATLAS_SIZE || glyph.height > ATLAS_SIZE)
    return nullptr;
  if (atlas.rowX + glyph.width > ATLAS_SIZE) {
    atlas.rowX = 0;
    atlas.rowY += atlas.rowHeight;
    atlas.rowHeight = 0;
  }
  if (atlas.rowY + glyph.height > ATLAS_SIZE) {
    atlas.slots.clear();
    atlas.rowX = atlas.rowY = atlas.rowHeight = 0;
  }
  AtlasSlot slot {atlas.rowX, atlas.rowY, glyph.width, glyph.height};
  m_glyphPixels.resize(static_cast<size_t>(glyph.width) * glyph.height * 4);
  const uint8_t* coverage = font.coverage(glyph);
  for (size_t i = 0, n = static_cast<size_t>(glyph.width) * glyph.height; i < n; ++i) {
    uint8_t* pixel = &m_glyphPixels[i * 4];
    pixel[0] = pixel[1] = pixel[2] = 255;
    pixel[3] = coverage[i];
  }
  SDL_Rect area {slot.x, slot.y, slot.w, slot.h};
  SDL_UpdateTexture(atlas.texture, &area, m_glyphPixels.data(), glyph.width * 4);
  atlas.rowX += glyph.width + 1;
  atlas.rowHeight = std::max(atlas.rowHeight, glyph.height + 1);
  return &atlas.slots.emplace(ch, slot).first->second;
}

// A blended RGBA texture, filled from `rgba` when given.
// Level n is a white disc of DISC_SMALLEST << n texels across whose edge fades over DISC_EDGE
// texels, one to two pixels of the disc drawn from it.
SDL_Texture* sdlGfx::_discTexture(int level) {
  if (m_discs[level])
    return m_discs[level];
  int size = DISC_SMALLEST << level;
  std::vector<uint8_t> pixels(static_cast<size_t>(size) * size * 4);
  const float centre = size / 2.0f;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      float dx = x + 0.5f - centre, dy = y + 0.5f - centre;
      float cover = std::clamp((centre - std::sqrt(dx * dx + dy * dy)) / DISC_EDGE, 0.0f, 1.0f);
      uint8_t* pixel = &pixels[(static_cast<size_t>(y) * size + x) * 4];
      pixel[0] = pixel[1] = pixel[2] = 255;
      pixel[3] = static_cast<uint8_t>(cover * 255.0f + 0.5f);
    }
  m_discs[level] = _texture(size, size, pixels.data());
  if (m_discs[level])
    SDL_SetTextureScaleMode(m_discs[level], SDL_ScaleModeLinear);
  return m_discs[level];
}

SDL_Texture* sdlGfx::_texture(int width, int height, const uint8_t* rgba) {
  if (width <= 0 || height <= 0)
    return nullptr;
  SDL_Texture* texture = SDL_CreateTexture(m_renderer, SDL_PIXELFORMAT_RGBA32,
                                           SDL_TEXTUREACCESS_STATIC, width, height);
  if (!texture) {
    udLogger::log(2, "SDL cannot make a texture of %d x %d: %s\f", width, height, SDL_GetError());
    return nullptr;
  }
  SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
  if (rgba)
    SDL_UpdateTexture(texture, nullptr, rgba, width * 4);
  return texture;
}
