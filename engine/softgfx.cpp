#include "softgfx.h"

#include "udlogger.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <iterator>

namespace {

using Lock = std::lock_guard<std::recursive_mutex>;

int clampToInt(long long value) {
  return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

softColour withAlpha(softColour colour, unsigned char alpha) {
  colour.a = softDraw::mul255(colour.a, alpha);
  return colour;
}

}  // namespace

softGfx::softGfx(int width, int height) {
  m_frame.resize(std::max(width, 1), std::max(height, 1));
  m_commands.reserve(256);
  m_order.reserve(256);
  m_text.reserve(4096);
  _updateStats();
}

softGfx::~softGfx() = default;

void softGfx::addSearchPath(const char* folder) {
  Lock lock(m_mutex);
  m_paths.add(folder);
}

void softGfx::setClearColour(softColour colour) {
  Lock lock(m_mutex);
  m_clear = colour;
  m_clear.a = 255;
}

void softGfx::setTextColour(int set, softColour colour) {
  Lock lock(m_mutex);
  if (set >= 0 && set < TEXT_COLOURS)
    m_textColours[set] = colour;
}

void softGfx::setMaxDepthNode(int depth) {
  Lock lock(m_mutex);
  m_maxDepthNode = std::max(depth, 0);
}

// -- Frames --

void softGfx::beginFrame(float seconds) {
  Lock lock(m_mutex);
  auto now = std::chrono::steady_clock::now();
  if (seconds < 0.0f && m_clockStarted)
    seconds = std::chrono::duration<float>(now - m_lastFrame).count();
  m_lastFrame = now;
  m_clockStarted = true;
  if (seconds > 0.0f) {
    m_frameTimes[m_frameTimeNext] = seconds;
    m_frameTimeNext = (m_frameTimeNext + 1) % int(std::size(m_frameTimes));
    m_frameTimeCount = std::min(m_frameTimeCount + 1, int(std::size(m_frameTimes)));
  }
}

void softGfx::endFrame() {
  Lock lock(m_mutex);
  _drawClear(m_clear);
  m_order.resize(m_commands.size());
  for (size_t i = 0; i < m_order.size(); ++i)
    m_order[i] = static_cast<uint32_t>(i);
  // The index breaks every tie, so the order is total and std::sort (which allocates nothing)
  // keeps the calls' own order.
  std::sort(m_order.begin(), m_order.end(), [this](uint32_t a, uint32_t b) {
    const Command& ca = m_commands[a];
    const Command& cb = m_commands[b];
    if (ca.depth != cb.depth)
      return ca.depth < cb.depth;
    if (ca.sortLevel != cb.sortLevel)
      return ca.sortLevel < cb.sortLevel;
    return a < b;
  });
  for (uint32_t index : m_order)
    _composite(m_commands[index]);
  _updateStats();
  m_commands.clear();
  m_text.clear();
  m_frameBlts = m_frameTexts = m_framePsys = 0;
}

bool softGfx::savePNG(const char* path) const {
  Lock lock(m_mutex);
  if (!path)
    path = "";
  if (*path && softSavePNG(path, m_frame))
    return true;
  udLogger::log(2, "Cannot write frame ^C00FF00%s^c\f", path);
  return false;
}

// -- Sprites --

int softGfx::createSprite(const char* file) {
  Lock lock(m_mutex);
  int sprite = m_sprites.create(file);
  _updateMemoryStats();
  return sprite;
}

void softGfx::releaseSprite(const char* name) {
  Lock lock(m_mutex);
  m_sprites.release(name);
  _updateMemoryStats();
}

const char* softGfx::getSpriteName(int sprite) {
  Lock lock(m_mutex);
  const softSprite* found = m_sprites.get(sprite);
  return found ? found->name.c_str() : nullptr;
}

int softGfx::getSpriteWidth(int sprite) {
  Lock lock(m_mutex);
  const softSprite* found = m_sprites.get(sprite);
  return found ? found->frameWidth : 0;
}

int softGfx::getSpriteHeight(int sprite) {
  Lock lock(m_mutex);
  const softSprite* found = m_sprites.get(sprite);
  return found ? found->frameHeight : 0;
}

int softGfx::getSpriteFrameCount(int sprite, int anim) {
  Lock lock(m_mutex);
  const softSprite* found = m_sprites.get(sprite);
  return found ? found->frameCount(anim) : 0;
}

void softGfx::setupAlphaTestSprite(int) {}

bool softGfx::alphaTestSprite(int sprite, int anim, int frame, int x, int y) {
  Lock lock(m_mutex);
  const softSprite* found = m_sprites.get(sprite);
  softRect rect;
  if (!found || !found->frameRect(anim, frame, &rect))
    return false;
  if (x < 0 || y < 0 || x >= rect.w || y >= rect.h)
    return false;
  return found->sheet.at(rect.x + x, rect.y + y)[3] >= 128;
}

void softGfx::blt(int depth, int sprite, int x, int y, int anim, int frame, unsigned char alpha) {
  _sprite(depth, 0, sprite, x, y, softRect {0, 0, INT_MAX, INT_MAX}, anim, frame, alpha);
}

void softGfx::blt(int depth, int sprite, int x, int y, int width, int height, int anim, int frame,
                  unsigned char alpha) {
  _sprite(depth, 0, sprite, x, y, softRect {0, 0, width, height}, anim, frame, alpha);
}

void softGfx::blt(int depth, int sprite, int x, int y, int srcX, int srcY, int width, int height,
                  int anim, int frame, unsigned char alpha) {
  _sprite(depth, 0, sprite, x, y, softRect {srcX, srcY, width, height}, anim, frame, alpha);
}

void softGfx::bltSort(int depth, int sortLevel, int sprite, int x, int y, int anim, int frame,
                      unsigned char alpha) {
  _sprite(depth, sortLevel, sprite, x, y, softRect {0, 0, INT_MAX, INT_MAX}, anim, frame, alpha);
}

// A call for a sprite or frame that does not exist draws nothing; a missing frame is reported
// once per sprite.
void softGfx::_sprite(int depth, int sortLevel, int sprite, int x, int y, softRect block, int anim,
                      int frame, unsigned char alpha) {
  Lock lock(m_mutex);
  ++m_frameBlts;
  softSprite* found = m_sprites.get(sprite);
  softRect rect;
  if (!found)
    return;
  if (!found->frameRect(anim, frame, &rect)) {
    if (!found->reportedBadFrame)
      udLogger::log(2, "Sprite ^C00FF00%s^c has no frame %d in animation %d\f", found->name.c_str(),
                    frame, anim);
    found->reportedBadFrame = true;
    return;
  }
  Command command {};
  command.kind = Kind::SPRITE;
  command.depth = _depth(depth);
  command.sortLevel = sortLevel;
  command.id = sprite;
  command.x = x;
  command.y = y;
  command.block = block;
  command.anim = anim;
  command.frame = frame;
  command.colour = withAlpha(softColour {}, alpha);
  m_commands.push_back(command);
}

void softGfx::_compositeSprite(const Command& command) {
  const softSprite* sprite = m_sprites.get(command.id);
  softRect frame;
  if (!sprite || !sprite->frameRect(command.anim, command.frame, &frame))
    return;
  const softRect& block = command.block;
  _drawBlock(command.id, *sprite, frame, command.x, command.y, block.x, block.y, block.w, block.h,
             command.colour);
}

// -- Text --

void softGfx::print(int depth, int font, int set, unsigned int justify, int x, int y, int maxHeight,
                    unsigned char alpha, const char* text) {
  Lock lock(m_mutex);
  size_t start = m_text.size();
  for (size_t i = 0; text && text[i] && i < MAX_TEXT; ++i)
    m_text.push_back(static_cast<unsigned char>(text[i]));
  _text(depth, font, set, justify, x, y, maxHeight, alpha, start);
}

void softGfx::print(int depth, int font, int set, unsigned int justify, int x, int y, int maxHeight,
                    unsigned char alpha, const unsigned int* text) {
  Lock lock(m_mutex);
  size_t start = m_text.size();
  for (size_t i = 0; text && text[i] && i < MAX_TEXT; ++i)
    m_text.push_back(text[i]);
  _text(depth, font, set, justify, x, y, maxHeight, alpha, start);
}

int softGfx::createFont(const char* file) {
  Lock lock(m_mutex);
  int font = m_fonts.create(file);
  _updateMemoryStats();
  return font;
}

void softGfx::releaseFont(int font) {
  Lock lock(m_mutex);
  m_fonts.release(font);
  _updateMemoryStats();
}

const char* softGfx::getFontName(int font) {
  Lock lock(m_mutex);
  const softFont* found = m_fonts.get(font);
  return found ? found->name().c_str() : nullptr;
}

int softGfx::getFontHeight(int font) {
  Lock lock(m_mutex);
  const softFont* found = m_fonts.get(font);
  return found ? found->height() : 0;
}

void softGfx::getFontDimensions(int font, int* widths256, int* height) {
  Lock lock(m_mutex);
  softFont* found = m_fonts.get(font);
  if (widths256) {
    for (uint32_t ch = 0; ch < 256; ++ch) {
      const softGlyph* glyph = found ? found->glyph(ch) : nullptr;
      widths256[ch] = glyph ? glyph->advance : 0;
    }
  }
  if (height)
    *height = found ? found->height() : 0;
}

bool softGfx::getCharDimensions(int font, int, unsigned int ch, int* width, int* height) {
  Lock lock(m_mutex);
  softFont* found = m_fonts.get(font);
  const softGlyph* glyph = found ? found->glyph(ch) : nullptr;
  if (width)
    *width = glyph ? glyph->advance : 0;
  if (height)
    *height = found ? found->height() : 0;
  return found && found->hasChar(ch);
}

bool softGfx::testFontChar(int font, unsigned int ch) {
  Lock lock(m_mutex);
  const softFont* found = m_fonts.get(font);
  return found && found->hasChar(ch);
}

void softGfx::getTextRect(int font, unsigned int justify, int x, int y, const unsigned int* text,
                          int* left, int* top, int* right, int* bottom) {
  Lock lock(m_mutex);
  softFont* found = m_fonts.get(font);
  int width = 0;
  int height = 0;
  if (found && text) {
    size_t length = 0;
    while (text[length] && length < MAX_TEXT)
      ++length;
    width = found->textWidth(text, length);
    height = found->height();
  }
  int start = _justifiedLeft(x, width, justify);
  if (left)
    *left = start;
  if (top)
    *top = y;
  if (right)
    *right = clampToInt(static_cast<long long>(start) + width);
  if (bottom)
    *bottom = clampToInt(static_cast<long long>(y) + height);
}

// The text's characters are the last ones in m_text, from `start` on.
void softGfx::_text(int depth, int font, int set, unsigned int justify, int x, int y, int maxHeight,
                    unsigned char alpha, size_t start) {
  ++m_frameTexts;
  if (!m_fonts.get(font) || m_text.size() == start) {
    m_text.resize(start);
    return;
  }
  Command command {};
  command.kind = Kind::TEXT;
  command.depth = _depth(depth);
  command.id = font;
  command.x = x;
  command.y = y;
  command.colour = withAlpha(m_textColours[set >= 0 && set < TEXT_COLOURS ? set : 0], alpha);
  command.textStart = start;
  command.textLength = m_text.size() - start;
  command.justify = justify;
  command.clipBottom = maxHeight < 0 ? INT_MAX : clampToInt(static_cast<long long>(y) + maxHeight);
  m_commands.push_back(command);
}

int softGfx::_justifiedLeft(int x, int width, unsigned int justify) const {
  if (justify & 2)
    return clampToInt(static_cast<long long>(x) - width / 2);
  if (justify & 1)
    return clampToInt(static_cast<long long>(x) - width);
  return x;
}

void softGfx::_compositeText(const Command& command) {
  softFont* font = m_fonts.get(command.id);
  if (!font)
    return;
  const uint32_t* text = m_text.data() + command.textStart;
  int width = font->textWidth(text, command.textLength);
  _drawText(command.id, *font, text, command.textLength,
            _justifiedLeft(command.x, width, command.justify), command.y, command.clipBottom,
            command.colour);
}

// -- Particle systems --

int softGfx::createParticleSystemInstance(const char* name, const char* file) {
  Lock lock(m_mutex);
  int instance = m_particles.create(name, file);
  _updateMemoryStats();
  return instance;
}

void softGfx::releaseParticleSystemInstance(const char* name) {
  Lock lock(m_mutex);
  m_particles.release(name);
  _updateMemoryStats();
}

void softGfx::releaseParticleSystemInstance(int instance) {
  Lock lock(m_mutex);
  m_particles.release(instance);
  _updateMemoryStats();
}

void softGfx::updateParticleSystem(int instance, int x, int y, float seconds) {
  Lock lock(m_mutex);
  if (softParticleSystem* system = m_particles.get(instance))
    system->update(x, y, seconds);
}

// The particles are gathered as they stand now, so a later update does not move this drawing.
void softGfx::psemit(int depth, int instance, float opacity) {
  Lock lock(m_mutex);
  ++m_framePsys;
  const softParticleSystem* system = m_particles.get(instance);
  if (!system)
    return;
  if (!(opacity > 0.0f))
    return;
  opacity = std::min(opacity, 1.0f);
  for (const softParticle& particle : system->particles())
    _particle(depth, *system, particle, opacity);
}

bool softGfx::particleSystemInstanceIsDead(int instance) {
  Lock lock(m_mutex);
  const softParticleSystem* system = m_particles.get(instance);
  return !system || system->isDead();
}

void softGfx::particleSystemInstanceStopEmitters(int instance) {
  Lock lock(m_mutex);
  if (softParticleSystem* system = m_particles.get(instance))
    system->stopEmitters();
}

void softGfx::addEvent(int type, int, int instance, int, float, void*) {
  Lock lock(m_mutex);
  softParticleSystem* system = m_particles.get(instance);
  if (type == EVENT_RESTART && system)
    system->restart();
}

void softGfx::_particle(int depth, const softParticleSystem& system, const softParticle& particle,
                        float opacity) {
  const softParticleStyle& style = system.style();
  softColour colour = system.colourOf(particle);
  colour.a = static_cast<uint8_t>(std::lround(colour.a * opacity));
  Command command {};
  command.kind = style.sprite == -1 ? Kind::DISC : Kind::STRETCHED;
  command.depth = _depth(depth);
  command.id = style.sprite;
  command.colour = colour;
  command.centreX = particle.x;
  command.centreY = particle.y;
  command.size = system.sizeOf(particle);
  if (const softSprite* sprite = m_sprites.get(style.sprite))
    command.frame = system.frameOf(particle, sprite->frameCount(0));
  m_commands.push_back(command);
}

// -- Screen and threads --

int softGfx::getScreenWidth() {
  Lock lock(m_mutex);
  return m_frame.width;
}

int softGfx::getMaxDepthNode() {
  Lock lock(m_mutex);
  return m_maxDepthNode;
}

void softGfx::registerThread(const char*) {}

void softGfx::unregisterThread(const char*) {}

// -- Compositing --

int softGfx::_depth(int depth) const {
  return std::clamp(depth, 0, m_maxDepthNode);
}

void softGfx::_composite(const Command& command) {
  switch (command.kind) {
    case Kind::SPRITE:
      _compositeSprite(command);
      break;
    case Kind::TEXT:
      _compositeText(command);
      break;
    case Kind::DISC:
      _drawDisc(command.centreX, command.centreY, command.size / 2.0f, command.colour);
      break;
    case Kind::STRETCHED:
      _compositeStretched(command);
      break;
  }
}

// A sprite particle keeps its frame's shape: `size` is its width.
void softGfx::_compositeStretched(const Command& command) {
  const softSprite* sprite = m_sprites.get(command.id);
  softRect frame;
  if (!sprite || !sprite->frameRect(0, command.frame, &frame) || frame.w <= 0)
    return;
  float width = command.size;
  float height = command.size * static_cast<float>(frame.h) / static_cast<float>(frame.w);
  _drawStretched(command.id, *sprite, frame, command.centreX - width / 2.0f,
                 command.centreY - height / 2.0f, width, height, command.colour);
}

// -- Drawing into the frame --

void softGfx::_drawClear(softColour colour) {
  for (uint8_t *pixel = m_frame.pixels.data(), *end = pixel + m_frame.pixels.size(); pixel < end;
       pixel += 4) {
    pixel[0] = colour.r;
    pixel[1] = colour.g;
    pixel[2] = colour.b;
    pixel[3] = 255;
  }
}

void softGfx::_drawBlock(int, const softSprite& sprite, const softRect& frame, int x, int y,
                         int srcX, int srcY, int w, int h, softColour tint) {
  softDraw::blit(m_frame, sprite.sheet, frame, x, y, srcX, srcY, w, h, tint);
}

void softGfx::_drawStretched(int, const softSprite& sprite, const softRect& frame, float x,
                             float y, float w, float h, softColour tint) {
  softDraw::blitScaled(m_frame, sprite.sheet, frame, x, y, w, h, tint);
}

void softGfx::_drawDisc(float centreX, float centreY, float radius, softColour colour) {
  softDraw::disc(m_frame, centreX, centreY, radius, colour);
}

void softGfx::_drawText(int, softFont& font, const uint32_t* text, size_t length, int x, int y,
                        int clipBottom, softColour colour) {
  font.draw(m_frame, text, length, x, y, clipBottom, colour);
}

void softGfx::_updateStats() {
  float seconds = 0.0f;
  for (int i = 0; i < m_frameTimeCount; ++i)
    seconds += m_frameTimes[i];
  stats.fps = seconds > 0.0f ? static_cast<float>(m_frameTimeCount) / seconds : 0.0f;
  stats.textCount = m_frameTexts;
  stats.psysCount = m_framePsys;
  stats.bltCount = m_frameBlts;
  _updateMemoryStats();
}

void softGfx::_updateMemoryStats() {
  size_t texture = m_sprites.byteSize() + m_fonts.byteSize();
  size_t other = m_frame.byteSize() + m_commands.capacity() * sizeof(Command) +
                 m_order.capacity() * sizeof(uint32_t) + m_text.capacity() * sizeof(uint32_t) +
                 m_particles.byteSize();
  stats.textureMemory = clampToInt(static_cast<long long>(texture));
  stats.otherMemory = clampToInt(static_cast<long long>(other));
  stats.total = clampToInt(static_cast<long long>(texture + other));
  stats.maxMemory = std::max(stats.maxMemory, stats.total);
}
