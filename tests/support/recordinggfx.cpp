#include "recordinggfx.h"

#include "testmemory.h"

#include <cstdarg>
#include <cstdio>

namespace {

std::string vformat(const char* format, va_list args) {
  char buffer[512];
  std::vsnprintf(buffer, sizeof buffer, format, args);
  return buffer;
}

void appendUtf8(std::string& out, unsigned int ch) {
  if (ch < 0x80) {
    out += static_cast<char>(ch);
  } else if (ch < 0x800) {
    out += static_cast<char>(0xC0 | (ch >> 6));
    out += static_cast<char>(0x80 | (ch & 0x3F));
  } else if (ch < 0x10000) {
    out += static_cast<char>(0xE0 | (ch >> 12));
    out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (ch & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | ((ch >> 18) & 0x07));
    out += static_cast<char>(0x80 | ((ch >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (ch & 0x3F));
  }
}

std::string utf8(const unsigned int* text) {
  std::string out;
  for (; text && *text; ++text)
    appendUtf8(out, *text);
  return out;
}

const char* orNull(const char* text) {
  return text ? text : "(null)";
}

}  // namespace

RecordingGfx::RecordingGfx() : m_previous(g_gfx) {
  g_gfx = this;
}

RecordingGfx::~RecordingGfx() {
  g_gfx = m_previous;
}

void RecordingGfx::defineSprite(const std::string& file, int width, int height,
                                std::vector<int> framesPerAnim) {
  std::lock_guard<std::recursive_mutex> hold(m_mutex);
  m_sprites.push_back({file, width, height, std::move(framesPerAnim), {}, 0});
}

void RecordingGfx::setAlphaMask(const std::string& file, std::vector<std::string> rows) {
  std::lock_guard<std::recursive_mutex> hold(m_mutex);
  int id = spriteId(file);
  if (id != -1)
    m_sprites[id - 1].mask = std::move(rows);
}

void RecordingGfx::defineFont(const std::string& file, int charWidth, int height,
                              std::u32string chars) {
  std::lock_guard<std::recursive_mutex> hold(m_mutex);
  m_fonts.push_back({file, charWidth, height, std::move(chars), 0});
}

void RecordingGfx::defineParticleSystem(const std::string& file) {
  std::lock_guard<std::recursive_mutex> hold(m_mutex);
  m_particleFiles.push_back(file);
}

void RecordingGfx::setParticleDead(int instance, bool dead) {
  std::lock_guard<std::recursive_mutex> hold(m_mutex);
  if (instance >= 1 && instance <= static_cast<int>(m_instances.size()))
    m_instances[instance - 1].dead = dead;
}

int RecordingGfx::spriteId(const std::string& file) const {
  std::lock_guard<std::recursive_mutex> hold(m_mutex);
  for (size_t i = 0; i < m_sprites.size(); ++i)
    if (m_sprites[i].file == file)
      return static_cast<int>(i) + 1;
  return -1;
}

int RecordingGfx::spriteUses(const std::string& file) const {
  std::lock_guard<std::recursive_mutex> hold(m_mutex);
  int id = spriteId(file);
  return id == -1 ? 0 : m_sprites[id - 1].uses;
}

int RecordingGfx::fontId(const std::string& file) const {
  std::lock_guard<std::recursive_mutex> hold(m_mutex);
  for (size_t i = 0; i < m_fonts.size(); ++i)
    if (m_fonts[i].file == file)
      return static_cast<int>(i) + 1;
  return -1;
}

int RecordingGfx::fontUses(const std::string& file) const {
  std::lock_guard<std::recursive_mutex> hold(m_mutex);
  int id = fontId(file);
  return id == -1 ? 0 : m_fonts[id - 1].uses;
}

int RecordingGfx::particleInstance(const std::string& name) const {
  std::lock_guard<std::recursive_mutex> hold(m_mutex);
  for (size_t i = m_instances.size(); i-- > 0;)
    if (m_instances[i].live && m_instances[i].name == name)
      return static_cast<int>(i) + 1;
  return -1;
}

int RecordingGfx::liveParticleInstances() const {
  std::lock_guard<std::recursive_mutex> hold(m_mutex);
  int live = 0;
  for (const Instance& instance : m_instances)
    live += instance.live;
  return live;
}

std::vector<std::string> RecordingGfx::callsOf(const std::string& operation) const {
  std::lock_guard<std::recursive_mutex> hold(m_mutex);
  std::vector<std::string> lines;
  for (const std::string& line : calls)
    if (line.compare(0, operation.size() + 1, operation + " ") == 0)
      lines.push_back(line);
  return lines;
}

void RecordingGfx::clearCalls() {
  std::lock_guard<std::recursive_mutex> hold(m_mutex);
  calls.clear();
}

// -- Sprites --

int RecordingGfx::createSprite(const char* file) {
  std::lock_guard<std::recursive_mutex> hold(m_mutex);
  int id = file ? spriteId(file) : -1;
  if (id != -1)
    ++m_sprites[id - 1].uses;
  _record("createSprite file=%s -> %d", orNull(file), id);
  return id;
}

void RecordingGfx::releaseSprite(const char* name) {
  std::lock_guard<std::recursive_mutex> hold(m_mutex);
  _record("releaseSprite name=%s", orNull(name));
  int id = name ? spriteId(name) : -1;
  if (id == -1 || m_sprites[id - 1].uses == 0)
    _fail("releaseSprite of a sprite not created: %s", orNull(name));
  else
    --m_sprites[id - 1].uses;
}

const char* RecordingGfx::getSpriteName(int sprite) {
  std::lock_guard<std::recursive_mutex> hold(m_mutex);
  Sprite* found = _sprite(sprite);
  return found ? found->file.c_str() : nullptr;
}

int RecordingGfx::getSpriteWidth(int sprite) {
  std::lock_guard<std::recursive_mutex> hold(m_mutex);
  Sprite* found = _sprite(sprite);
  return found ? found->width : 0;
}

int RecordingGfx::getSpriteHeight(int sprite) {
  std::lock_guard<std::recursive_mutex> hold(m_mutex);
  Sprite* found = _sprite(sprite);
  return found ? found->height : 0;
}

int RecordingGfx::getSpriteFrameCount(int sprite, int anim) {
  std::lock_guard<std::recursive_mutex> hold(m_mutex);
  Sprite* found = _sprite(sprite);
  if (!found || anim < 0 || anim >= static_cast<int>(found->framesPerAnim.size()))
    return 0;
  return found->framesPerAnim[anim];
}

void RecordingGfx::setupAlphaTestSprite(int sprite) {
  std::lock_guard<std::recursive_mutex> hold(m_mutex);
  _record("setupAlphaTestSprite sprite=%d", sprite);
  _drawnSprite("setupAlphaTestSprite", sprite);
}

bool RecordingGfx::alphaTestSprite(int sprite, int, int, int x, int y) {
  std::lock_guard<std::recursive_mutex> hold(m_mutex);
  Sprite* found = _sprite(sprite);
  if (!found || x < 0 || y < 0 || x >= found->width || y >= found->height)
    return false;
  if (found->mask.empty())
    return true;
  if (y >= static_cast<int>(found->mask.size()) || x >= static_cast<int>(found->mask[y].size()))
    return false;
  return found->mask[y][x] == '#';
}

void RecordingGfx::blt(int depth, int sprite, int x, int y, int anim, int frame,
                       unsigned char alpha) {
  std::lock_guard<std::recursive_mutex> hold(m_mutex);
  _record("blt depth=%d sprite=%d x=%d y=%d anim=%d frame=%d alpha=%d", depth, sprite, x, y, anim,
          frame, alpha);
  _drawnSprite("blt", sprite);
}

void RecordingGfx::blt(int depth, int sprite, int x, int y, int width, int height, int anim,
                       int frame, unsigned char alpha) {
  std::lock_guard<std::recursive_mutex> hold(m_mutex);
  _record("blt depth=%d sprite=%d x=%d y=%d width=%d height=%d anim=%d frame=%d alpha=%d", depth,
          sprite, x, y, width, height, anim, frame, alpha);
  _drawnSprite("blt", sprite);
}

void RecordingGfx::blt(int depth, int sprite, int x, int y, int srcX, int srcY, int width,
                       int height, int anim, int frame, unsigned char alpha) {
  std::lock_guard<std::recursive_mutex> hold(m_mutex);
  _record("blt depth=%d sprite=%d x=%d y=%d srcX=%d srcY=%d width=%d height=%d anim=%d frame=%d "
          "alpha=%d",
          depth, sprite, x, y, srcX, srcY, width, height, anim, frame, alpha);
  _drawnSprite("blt", sprite);
}

void RecordingGfx::bltSort(int depth, int sortLevel, int sprite, int x, int y, int anim, int frame,
                           unsigned char alpha) {
  std::lock_guard<std::recursive_mutex> hold(m_mutex);
  _record("bltSort depth=%d sortLevel=%d sprite=%d x=%d y=%d anim=%d frame=%d alpha=%d", depth,
          sortLevel, sprite, x, y, anim, frame, alpha);
  _drawnSprite("bltSort", sprite);
}

// -- Text --

void RecordingGfx::print(int depth, int font, int set, unsigned int justify, int x, int y,
                         int maxHeight, unsigned char alpha, const char* text) {
  std::lock_guard<std::recursive_mutex> hold(m_mutex);
  _record("print depth=%d font=%d set=%d justify=%u x=%d y=%d maxHeight=%d alpha=%d text=\"%s\"",
          depth, font, set, justify, x, y, maxHeight, alpha, orNull(text));
  _drawnFont("print", font);
}

void RecordingGfx::print(int depth, int font, int set, unsigned int justify, int x, int y,
                         int maxHeight, unsigned char alpha, const unsigned int* text) {
  std::lock_guard<std::recursive_mutex> hold(m_mutex);
  GlobalNewPause notCounted;
  _record("printw depth=%d font=%d set=%d justify=%u x=%d y=%d maxHeight=%d alpha=%d text=\"%s\"",
          depth, font, set, justify, x, y, maxHeight, alpha, utf8(text).c_str());
  _drawnFont("printw", font);
}

int RecordingGfx::createFont(const char* file) {
  std::lock_guard<std::recursive_mutex> hold(m_mutex);
  int id = file ? fontId(file) : -1;
  if (id != -1)
    ++m_fonts[id - 1].uses;
  _record("createFont file=%s -> %d", orNull(file), id);
  return id;
}

void RecordingGfx::releaseFont(int font) {
  std::lock_guard<std::recursive_mutex> hold(m_mutex);
  _record("releaseFont font=%d", font);
  Font* found = _drawnFont("releaseFont", font);
  if (found)
    --found->uses;
}

const char* RecordingGfx::getFontName(int font) {
  std::lock_guard<std::recursive_mutex> hold(m_mutex);
  Font* found = _font(font);
  return found ? found->file.c_str() : nullptr;
}

int RecordingGfx::getFontHeight(int font) {
  std::lock_guard<std::recursive_mutex> hold(m_mutex);
  Font* found = _font(font);
  return found ? found->height : 0;
}

void RecordingGfx::getFontDimensions(int font, int* widths256, int* height) {
  std::lock_guard<std::recursive_mutex> hold(m_mutex);
  Font* found = _font(font);
  if (!found) {
    gfxSubsystem::getFontDimensions(font, widths256, height);
    return;
  }
  for (unsigned int ch = 0; widths256 && ch < 256; ++ch)
    widths256[ch] = _hasChar(*found, ch) ? found->charWidth : 0;
  if (height)
    *height = found->height;
}

bool RecordingGfx::getCharDimensions(int font, int set, unsigned int ch, int* width, int* height) {
  std::lock_guard<std::recursive_mutex> hold(m_mutex);
  Font* found = _font(font);
  if (!found || !_hasChar(*found, ch))
    return gfxSubsystem::getCharDimensions(font, set, ch, width, height);
  if (width)
    *width = found->charWidth;
  if (height)
    *height = found->height;
  return true;
}

bool RecordingGfx::testFontChar(int font, unsigned int ch) {
  std::lock_guard<std::recursive_mutex> hold(m_mutex);
  Font* found = _font(font);
  return found && _hasChar(*found, ch);
}

// Justification: 0 left, bit 1 right, bit 2 centre (which wins when both are set).
void RecordingGfx::getTextRect(int font, unsigned int justify, int x, int y,
                               const unsigned int* text, int* left, int* top, int* right,
                               int* bottom) {
  std::lock_guard<std::recursive_mutex> hold(m_mutex);
  Font* found = _font(font);
  if (!found) {
    gfxSubsystem::getTextRect(font, justify, x, y, text, left, top, right, bottom);
    return;
  }
  int width = 0;
  for (const unsigned int* at = text; at && *at; ++at)
    width += _hasChar(*found, *at) ? found->charWidth : 0;
  int start = x;
  if (justify & 2)
    start = x - width / 2;
  else if (justify & 1)
    start = x - width;
  if (left)
    *left = start;
  if (right)
    *right = start + width;
  if (top)
    *top = y;
  if (bottom)
    *bottom = y + found->height;
}

// -- Particle systems --

int RecordingGfx::createParticleSystemInstance(const char* name, const char* file) {
  std::lock_guard<std::recursive_mutex> hold(m_mutex);
  int id = -1;
  for (const std::string& known : m_particleFiles) {
    if (file && known == file) {
      m_instances.push_back({orNull(name)});
      id = static_cast<int>(m_instances.size());
      break;
    }
  }
  _record("createParticleSystemInstance name=%s file=%s -> %d", orNull(name), orNull(file), id);
  return id;
}

void RecordingGfx::releaseParticleSystemInstance(const char* name) {
  std::lock_guard<std::recursive_mutex> hold(m_mutex);
  _record("releaseParticleSystemInstance name=%s", orNull(name));
  int id = particleInstance(orNull(name));
  if (id == -1)
    _fail("releaseParticleSystemInstance of no live instance named %s", orNull(name));
  else
    m_instances[id - 1].live = false;
}

void RecordingGfx::releaseParticleSystemInstance(int instance) {
  std::lock_guard<std::recursive_mutex> hold(m_mutex);
  _record("releaseParticleSystemInstance instance=%d", instance);
  Instance* found = _liveInstance("releaseParticleSystemInstance", instance);
  if (found)
    found->live = false;
}

void RecordingGfx::updateParticleSystem(int instance, int x, int y, float seconds) {
  std::lock_guard<std::recursive_mutex> hold(m_mutex);
  _record("updateParticleSystem instance=%d x=%d y=%d seconds=%g", instance, x, y, seconds);
  _liveInstance("updateParticleSystem", instance);
}

void RecordingGfx::psemit(int depth, int instance, float opacity) {
  std::lock_guard<std::recursive_mutex> hold(m_mutex);
  _record("psemit depth=%d instance=%d opacity=%g", depth, instance, opacity);
  _liveInstance("psemit", instance);
}

bool RecordingGfx::particleSystemInstanceIsDead(int instance) {
  std::lock_guard<std::recursive_mutex> hold(m_mutex);
  Instance* found = _liveInstance("particleSystemInstanceIsDead", instance);
  return !found || found->dead;
}

void RecordingGfx::particleSystemInstanceStopEmitters(int instance) {
  std::lock_guard<std::recursive_mutex> hold(m_mutex);
  _record("particleSystemInstanceStopEmitters instance=%d", instance);
  _liveInstance("particleSystemInstanceStopEmitters", instance);
}

void RecordingGfx::addEvent(int type, int value, int instance, int value2, float f, void* data) {
  std::lock_guard<std::recursive_mutex> hold(m_mutex);
  _record("addEvent type=%d value=%d instance=%d value2=%d f=%g data=%s", type, value, instance,
          value2, f, data ? "set" : "null");
  if (type == 4)
    _liveInstance("addEvent", instance);
}

// -- Screen and threads --

int RecordingGfx::getScreenWidth() {
  return screenWidth;
}

int RecordingGfx::getMaxDepthNode() {
  return maxDepthNode;
}

void RecordingGfx::registerThread(const char* label) {
  std::lock_guard<std::recursive_mutex> hold(m_mutex);
  _record("registerThread label=%s", orNull(label));
}

void RecordingGfx::unregisterThread(const char* label) {
  std::lock_guard<std::recursive_mutex> hold(m_mutex);
  _record("unregisterThread label=%s", orNull(label));
}

// -- Helpers --

void RecordingGfx::_record(const char* format, ...) {
  GlobalNewPause notCounted;
  va_list args;
  va_start(args, format);
  calls.push_back(vformat(format, args));
  va_end(args);
}

void RecordingGfx::_fail(const char* format, ...) {
  GlobalNewPause notCounted;
  va_list args;
  va_start(args, format);
  failures.push_back(vformat(format, args));
  va_end(args);
}

RecordingGfx::Sprite* RecordingGfx::_sprite(int id) {
  return id >= 1 && id <= static_cast<int>(m_sprites.size()) ? &m_sprites[id - 1] : nullptr;
}

RecordingGfx::Sprite* RecordingGfx::_drawnSprite(const char* operation, int id) {
  Sprite* found = _sprite(id);
  if (!found || found->uses == 0) {
    _fail("%s with sprite %d, which is not created", operation, id);
    return nullptr;
  }
  return found;
}

RecordingGfx::Font* RecordingGfx::_font(int id) {
  return id >= 1 && id <= static_cast<int>(m_fonts.size()) ? &m_fonts[id - 1] : nullptr;
}

RecordingGfx::Font* RecordingGfx::_drawnFont(const char* operation, int id) {
  Font* found = _font(id);
  if (!found || found->uses == 0) {
    _fail("%s with font %d, which is not created", operation, id);
    return nullptr;
  }
  return found;
}

RecordingGfx::Instance* RecordingGfx::_liveInstance(const char* operation, int id) {
  if (id < 1 || id > static_cast<int>(m_instances.size()) || !m_instances[id - 1].live) {
    _fail("%s with particle system instance %d, which is not live", operation, id);
    return nullptr;
  }
  return &m_instances[id - 1];
}

bool RecordingGfx::_hasChar(const Font& font, unsigned int ch) {
  if (ch == 0)
    return false;
  return font.chars.empty() || font.chars.find(static_cast<char32_t>(ch)) != std::u32string::npos;
}
