#include "recordinggfx.h"

#include "testmemory.h"

#include <cstdarg>
#include <cstdio>

namespace {

using Hold = std::lock_guard<std::recursive_mutex>;

std::string utf8(const unsigned int* text) {
  static const unsigned int k_lead[] = {0x00, 0xC0, 0xE0, 0xF0};
  static const unsigned int k_payload[] = {0x7F, 0x1F, 0x0F, 0x07};
  std::string out;
  for (; text && *text; ++text) {
    unsigned int ch = *text;
    int extra = ch < 0x80 ? 0 : ch < 0x800 ? 1 : ch < 0x10000 ? 2 : 3;
    out += static_cast<char>(k_lead[extra] | ((ch >> (6 * extra)) & k_payload[extra]));
    for (int i = extra - 1; i >= 0; --i)
      out += static_cast<char>(0x80 | ((ch >> (6 * i)) & 0x3F));
  }
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
  m_sprites.push_back({file, width, height, std::move(framesPerAnim), U"", 0});
}

void RecordingGfx::defineFont(const std::string& file, int charWidth, int height,
                              std::u32string chars) {
  m_fonts.push_back({file, charWidth, height, {}, std::move(chars), 0});
}

int RecordingGfx::spriteUses(const std::string& file) const {
  Hold hold(m_mutex);
  return _at(m_sprites, _find(m_sprites, file)).uses;
}

int RecordingGfx::fontUses(const std::string& file) const {
  Hold hold(m_mutex);
  return _at(m_fonts, _find(m_fonts, file)).uses;
}

int RecordingGfx::liveParticleInstances() const {
  Hold hold(m_mutex);
  int live = 0;
  for (const Instance& instance : m_instances)
    live += instance.live;
  return live;
}

std::vector<std::string> RecordingGfx::callsOf(const std::string& operation) const {
  Hold hold(m_mutex);
  std::vector<std::string> lines;
  for (const std::string& line : calls)
    if (line.compare(0, operation.size() + 1, operation + " ") == 0)
      lines.push_back(line);
  return lines;
}

void RecordingGfx::clearCalls() {
  Hold hold(m_mutex);
  calls.clear();
}

void RecordingGfx::releaseSprite(const char* name) {
  Hold hold(m_mutex);
  _record("releaseSprite name=%s", orNull(name));
  int id = name ? _find(m_sprites, name) : -1;
  if (id == -1 || m_sprites[id - 1].uses == 0)
    _fail("releaseSprite of a sprite not created: %s", orNull(name));
  else
    --m_sprites[id - 1].uses;
}

int RecordingGfx::getSpriteFrameCount(int sprite, int anim) {
  const std::vector<int>& frames = _at(m_sprites, sprite).framesPerAnim;
  return anim >= 0 && anim < static_cast<int>(frames.size()) ? frames[anim] : 0;
}

void RecordingGfx::setupAlphaTestSprite(int sprite) {
  _record("setupAlphaTestSprite sprite=%d", sprite);
  _used(m_sprites, "setupAlphaTestSprite with sprite", sprite);
}

bool RecordingGfx::alphaTestSprite(int sprite, int, int, int x, int y) {
  const Resource& found = _at(m_sprites, sprite);
  return x >= 0 && y >= 0 && x < found.width && y < found.height;
}

void RecordingGfx::blt(int depth, int sprite, int x, int y, int anim, int frame,
                       unsigned char alpha) {
  _record("blt depth=%d sprite=%d x=%d y=%d anim=%d frame=%d alpha=%d", depth, sprite, x, y, anim,
          frame, alpha);
  _used(m_sprites, "blt with sprite", sprite);
}

void RecordingGfx::blt(int depth, int sprite, int x, int y, int width, int height, int anim,
                       int frame, unsigned char alpha) {
  _record("blt depth=%d sprite=%d x=%d y=%d width=%d height=%d anim=%d frame=%d alpha=%d", depth,
          sprite, x, y, width, height, anim, frame, alpha);
  _used(m_sprites, "blt with sprite", sprite);
}

void RecordingGfx::blt(int depth, int sprite, int x, int y, int srcX, int srcY, int width,
                       int height, int anim, int frame, unsigned char alpha) {
  _record("blt depth=%d sprite=%d x=%d y=%d srcX=%d srcY=%d width=%d height=%d anim=%d frame=%d "
          "alpha=%d",
          depth, sprite, x, y, srcX, srcY, width, height, anim, frame, alpha);
  _used(m_sprites, "blt with sprite", sprite);
}

void RecordingGfx::bltSort(int depth, int sortLevel, int sprite, int x, int y, int anim, int frame,
                           unsigned char alpha) {
  _record("bltSort depth=%d sortLevel=%d sprite=%d x=%d y=%d anim=%d frame=%d alpha=%d", depth,
          sortLevel, sprite, x, y, anim, frame, alpha);
  _used(m_sprites, "bltSort with sprite", sprite);
}

void RecordingGfx::print(int depth, int font, int set, unsigned int justify, int x, int y,
                         int maxHeight, unsigned char alpha, const char* text) {
  _record("print depth=%d font=%d set=%d justify=%u x=%d y=%d maxHeight=%d alpha=%d text=\"%s\"",
          depth, font, set, justify, x, y, maxHeight, alpha, orNull(text));
  _used(m_fonts, "print with font", font);
}

void RecordingGfx::print(int depth, int font, int set, unsigned int justify, int x, int y,
                         int maxHeight, unsigned char alpha, const unsigned int* text) {
  GlobalNewPause notCounted;
  _record("printw depth=%d font=%d set=%d justify=%u x=%d y=%d maxHeight=%d alpha=%d text=\"%s\"",
          depth, font, set, justify, x, y, maxHeight, alpha, utf8(text).c_str());
  _used(m_fonts, "printw with font", font);
}

void RecordingGfx::releaseFont(int font) {
  Hold hold(m_mutex);
  _record("releaseFont font=%d", font);
  if (Resource* found = _used(m_fonts, "releaseFont with font", font))
    --found->uses;
}

void RecordingGfx::getFontDimensions(int font, int* widths256, int* height) {
  const Resource& found = _at(m_fonts, font);
  for (unsigned int ch = 0; widths256 && ch < 256; ++ch)
    widths256[ch] = _hasChar(found, ch) ? found.width : 0;
  if (height)
    *height = found.height;
}

bool RecordingGfx::getCharDimensions(int font, int set, unsigned int ch, int* width, int* height) {
  const Resource& found = _at(m_fonts, font);
  if (!_hasChar(found, ch))
    return gfxSubsystem::getCharDimensions(font, set, ch, width, height);
  if (width)
    *width = found.width;
  if (height)
    *height = found.height;
  return true;
}

void RecordingGfx::getTextRect(int font, unsigned int justify, int x, int y,
                               const unsigned int* text, int* left, int* top, int* right,
                               int* bottom) {
  const Resource& found = _at(m_fonts, font);
  int width = 0;
  for (const unsigned int* at = text; at && *at; ++at)
    width += _hasChar(found, *at) ? found.width : 0;
  int start = (justify & 2) ? x - width / 2 : (justify & 1) ? x - width : x;
  int edges[] = {start, y, start + width, y + found.height};
  int* outputs[] = {left, top, right, bottom};
  for (int i = 0; i < 4; ++i)
    if (outputs[i])
      *outputs[i] = edges[i];
}

int RecordingGfx::createParticleSystemInstance(const char* name, const char* file) {
  Hold hold(m_mutex);
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

// Releases the newest live instance of the name.
void RecordingGfx::releaseParticleSystemInstance(const char* name) {
  Hold hold(m_mutex);
  _record("releaseParticleSystemInstance name=%s", orNull(name));
  for (size_t i = m_instances.size(); i-- > 0;) {
    if (m_instances[i].live && m_instances[i].name == orNull(name)) {
      m_instances[i].live = false;
      return;
    }
  }
  _fail("releaseParticleSystemInstance of no live instance named %s", orNull(name));
}

void RecordingGfx::releaseParticleSystemInstance(int instance) {
  Hold hold(m_mutex);
  _record("releaseParticleSystemInstance instance=%d", instance);
  if (Instance* found = _liveInstance("releaseParticleSystemInstance", instance))
    found->live = false;
}

void RecordingGfx::updateParticleSystem(int instance, int x, int y, float seconds) {
  _record("updateParticleSystem instance=%d x=%d y=%d seconds=%g", instance, x, y, seconds);
  _liveInstance("updateParticleSystem", instance);
}

void RecordingGfx::psemit(int depth, int instance, float opacity) {
  _record("psemit depth=%d instance=%d opacity=%g", depth, instance, opacity);
  _liveInstance("psemit", instance);
}

bool RecordingGfx::particleSystemInstanceIsDead(int instance) {
  Hold hold(m_mutex);
  return _liveInstance("particleSystemInstanceIsDead", instance) == nullptr;  // live ones never die
}

void RecordingGfx::particleSystemInstanceStopEmitters(int instance) {
  _record("particleSystemInstanceStopEmitters instance=%d", instance);
  _liveInstance("particleSystemInstanceStopEmitters", instance);
}

void RecordingGfx::addEvent(int type, int value, int instance, int value2, float f, void* data) {
  _record("addEvent type=%d value=%d instance=%d value2=%d f=%g data=%s", type, value, instance,
          value2, f, data ? "set" : "null");
  if (type == 4)
    _liveInstance("addEvent", instance);
}

void RecordingGfx::registerThread(const char* label) {
  _record("registerThread label=%s", orNull(label));
}

void RecordingGfx::unregisterThread(const char* label) {
  _record("unregisterThread label=%s", orNull(label));
}

void RecordingGfx::_record(const char* format, ...) {
  Hold hold(m_mutex);
  GlobalNewPause notCounted;
  char line[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  calls.push_back(line);
}

void RecordingGfx::_fail(const char* format, ...) {
  Hold hold(m_mutex);
  GlobalNewPause notCounted;
  char line[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  failures.push_back(line);
}

int RecordingGfx::_create(std::deque<Resource>& all, const char* operation, const char* file) {
  Hold hold(m_mutex);
  int id = file ? _find(all, file) : -1;
  if (id != -1)
    ++all[id - 1].uses;
  _record("%s file=%s -> %d", operation, orNull(file), id);
  return id;
}

int RecordingGfx::_find(const std::deque<Resource>& all, const std::string& file) {
  for (size_t i = 0; i < all.size(); ++i)
    if (all[i].file == file)
      return static_cast<int>(i) + 1;
  return -1;
}

const RecordingGfx::Resource& RecordingGfx::_at(const std::deque<Resource>& all, int id) const {
  return id >= 1 && id <= static_cast<int>(all.size()) ? all[id - 1] : m_none;
}

const char* RecordingGfx::_name(const Resource& resource) const {
  return &resource == &m_none ? nullptr : resource.file.c_str();
}

// The resource of an operation that needs it created; a failure when it is not.
RecordingGfx::Resource* RecordingGfx::_used(std::deque<Resource>& all, const char* operation,
                                            int id) {
  Hold hold(m_mutex);
  if (id >= 1 && id <= static_cast<int>(all.size()) && all[id - 1].uses > 0)
    return &all[id - 1];
  _fail("%s %d, which is not created", operation, id);
  return nullptr;
}

RecordingGfx::Instance* RecordingGfx::_liveInstance(const char* operation, int id) {
  Hold hold(m_mutex);
  if (id >= 1 && id <= static_cast<int>(m_instances.size()) && m_instances[id - 1].live)
    return &m_instances[id - 1];
  _fail("%s with particle system instance %d, which is not live", operation, id);
  return nullptr;
}

bool RecordingGfx::_hasChar(const Resource& font, unsigned int ch) const {
  return &font != &m_none && ch != 0 &&
         (font.chars.empty() || font.chars.find(static_cast<char32_t>(ch)) != std::u32string::npos);
}
