#include "softparticles.h"

#include "softsprite.h"

#include "core.h"
#include "udlogger.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <strings.h>
#include <utility>

namespace {

const float PI = 3.14159265f;

float lerp(float from, float to, float t) {
  return from + (to - from) * t;
}

uint8_t lerpChannel(uint8_t from, uint8_t to, float t) {
  return static_cast<uint8_t>(std::lround(lerp(from, to, t)));
}

uint32_t hashName(const std::string& name) {
  uint32_t hash = 2166136261u;
  for (unsigned char c : name)
    hash = (hash ^ c) * 16777619u;
  return hash;
}

void readColour(Parser& parser, const char* key, softColour* colour) {
  int channels[4];
  int read = 0;
  bool ok = parser.GetEqualsToken();
  while (ok && read < 4) {
    char* token = parser.GetToken(" ,");
    char* end = nullptr;
    errno = 0;
    long value = token ? std::strtol(token, &end, 10) : -1;
    ok = token && errno == 0 && *end == '\0' && end != token && value >= 0 && value <= 255;
    if (ok)
      channels[read++] = static_cast<int>(value);
  }
  char* more = ok ? parser.GetToken(" ,") : nullptr;
  if (!ok || (more && !softIsComment(more))) {
    udLogger::log(2, "...expected: \"^C00FF00%s = red green blue alpha^c\" (0 to 255 each)\f", key);
    return;
  }
  *colour = softColour {uint8_t(channels[0]), uint8_t(channels[1]), uint8_t(channels[2]),
                        uint8_t(channels[3])};
}

void readRate(Parser& parser, char* token, softParticleStyle* style) {
  parser.ParamEqualsFloat32(token, "rate", &style->rate);
}

void readCount(Parser& parser, char* token, softParticleStyle* style) {
  parser.ParamEqualsInt32(token, "count", &style->count);
}

void readLifetime(Parser& parser, char* token, softParticleStyle* style) {
  parser.ParamEqualsFloat32_2(token, "lifetime", &style->lifeMin, &style->lifeMax);
}

void readSpeed(Parser& parser, char* token, softParticleStyle* style) {
  parser.ParamEqualsFloat32_2(token, "speed", &style->speedMin, &style->speedMax);
}

void readAngle(Parser& parser, char* token, softParticleStyle* style) {
  parser.ParamEqualsFloat32_2(token, "angle", &style->direction, &style->spread);
}

void readGravity(Parser& parser, char* token, softParticleStyle* style) {
  parser.ParamEqualsFloat32_2(token, "gravity", &style->gravityX, &style->gravityY);
}

void readStartColour(Parser& parser, char*, softParticleStyle* style) {
  readColour(parser, "startcolour", &style->startColour);
}

void readEndColour(Parser& parser, char*, softParticleStyle* style) {
  readColour(parser, "endcolour", &style->endColour);
}

void readSize(Parser& parser, char* token, softParticleStyle* style) {
  parser.ParamEqualsFloat32_2(token, "size", &style->startSize, &style->endSize);
}

void readSprite(Parser& parser, char*, softParticleStyle* style) {
  char* value = parser.GetEqualsToken() ? parser.GetToken(" ") : nullptr;
  if (value)
    style->spriteName = value;
  else
    udLogger::log(2, "...expected: \"^C00FF00sprite = name^c\"\f");
}

void readSeed(Parser& parser, char* token, softParticleStyle* style) {
  parser.ParamEqualsUInt32(token, "seed", &style->seed);
}

// The descriptor keys, matched without regard to case.
struct StyleKey {
  const char* key;
  void (*read)(Parser& parser, char* token, softParticleStyle* style);
};

const StyleKey STYLE_KEYS[] = {
    {"rate", readRate},
    {"count", readCount},
    {"lifetime", readLifetime},
    {"speed", readSpeed},
    {"angle", readAngle},
    {"gravity", readGravity},
    {"startcolour", readStartColour},
    {"endcolour", readEndColour},
    {"size", readSize},
    {"sprite", readSprite},
    {"seed", readSeed},
};

}  // namespace

softParticleSystem::softParticleSystem(std::string name, const softParticleStyle* style)
    : m_name(std::move(name)), m_style(style), m_random(hashName(m_name) ^ style->seed) {
  m_particles.reserve(static_cast<size_t>(style->capacity));
}

void softParticleSystem::update(int x, int y, float seconds) {
  if (!(seconds > 0.0f))
    seconds = 0.0f;
  const softParticleStyle& style = *m_style;
  size_t kept = 0;
  for (softParticle& particle : m_particles) {
    particle.age += seconds;
    if (particle.age >= particle.life)
      continue;
    particle.vx += style.gravityX * seconds;
    particle.vy += style.gravityY * seconds;
    particle.x += particle.vx * seconds;
    particle.y += particle.vy * seconds;
    m_particles[kept++] = particle;
  }
  m_particles.resize(kept);
  if (_emissionOver())
    return;
  int owed = style.count - m_emitted;
  if (style.rate > 0.0f) {
    // Whole particles owed by the rate; a long pause does not owe more than the pool holds.
    m_pending = std::min(m_pending + style.rate * seconds, float(style.capacity) + 1.0f);
    int due = static_cast<int>(m_pending);
    m_pending -= static_cast<float>(due);
    owed = style.count > 0 ? std::min(owed, due) : due;
  }
  _emit(owed, x, y);
}

void softParticleSystem::restart() {
  m_particles.clear();
  m_pending = 0.0f;
  m_emitted = 0;
  m_stopped = false;
}

void softParticleSystem::stopEmitters() {
  m_stopped = true;
}

bool softParticleSystem::isDead() const {
  return m_particles.empty() && _emissionOver();
}

softColour softParticleSystem::colourOf(const softParticle& particle) const {
  float t = std::clamp(particle.age / particle.life, 0.0f, 1.0f);
  const softColour& from = m_style->startColour;
  const softColour& to = m_style->endColour;
  return softColour {lerpChannel(from.r, to.r, t), lerpChannel(from.g, to.g, t),
                     lerpChannel(from.b, to.b, t), lerpChannel(from.a, to.a, t)};
}

float softParticleSystem::sizeOf(const softParticle& particle) const {
  float t = std::clamp(particle.age / particle.life, 0.0f, 1.0f);
  return lerp(m_style->startSize, m_style->endSize, t);
}

int softParticleSystem::frameOf(const softParticle& particle, int frameCount) const {
  int frame = static_cast<int>(particle.age / particle.life * static_cast<float>(frameCount));
  return std::clamp(frame, 0, std::max(frameCount - 1, 0));
}

bool softParticleSystem::_emissionOver() const {
  if (m_stopped)
    return true;
  if (m_style->count > 0)
    return m_emitted >= m_style->count;
  return !(m_style->rate > 0.0f);
}

// Particles beyond the reserved pool are counted as emitted but not made, so a frame never
// allocates.
void softParticleSystem::_emit(int count, int x, int y) {
  const softParticleStyle& style = *m_style;
  for (int i = 0; i < count; ++i) {
    if (style.count > 0)
      ++m_emitted;
    if (m_particles.size() >= static_cast<size_t>(style.capacity))
      continue;
    float angle = (style.direction + _random(-0.5f, 0.5f) * style.spread) * PI / 180.0f;
    float speed = _random(style.speedMin, style.speedMax);
    softParticle particle;
    particle.x = static_cast<float>(x);
    particle.y = static_cast<float>(y);
    particle.vx = std::cos(angle) * speed;
    particle.vy = -std::sin(angle) * speed;
    particle.age = 0.0f;
    particle.life = _random(style.lifeMin, style.lifeMax);
    m_particles.push_back(particle);
  }
}

float softParticleSystem::_random(float low, float high) {
  m_random = m_random * 1664525u + 1013904223u;
  float unit = static_cast<float>(m_random >> 8) * (1.0f / 16777216.0f);
  return low + (high - low) * unit;
}

softParticleTable::~softParticleTable() {
  m_systems.clear();
  for (auto& style : m_styles)
    if (style && style->sprite != -1)
      m_sprites.release(style->spriteName.c_str());
}

int softParticleTable::create(const char* name, const char* file) {
  softParticleStyle* style = _style(file);
  if (!style)
    return -1;
  return m_systems.add(std::make_unique<softParticleSystem>(name ? name : "", style));
}

void softParticleTable::release(const char* name) {
  if (!name)
    return;
  release(m_systems.findLast(
      [name](const softParticleSystem& system) { return system.name() == name; }));
}

void softParticleTable::release(int id) {
  softParticleSystem* system = get(id);
  if (!system)
    return;
  const softParticleStyle* style = &system->style();
  m_systems.remove(id);
  _dropStyle(style);
}

softParticleSystem* softParticleTable::get(int id) {
  return m_systems.get(id);
}

size_t softParticleTable::byteSize() const {
  return m_systems.sum([](const softParticleSystem& system) {
    return system.particles().capacity() * sizeof(softParticle);
  });
}

softParticleStyle* softParticleTable::_style(const char* file) {
  if (!file || !*file) {
    udLogger::log(2, "Cannot load a particle system without a file name\f");
    return nullptr;
  }
  for (auto& style : m_styles) {
    if (style && style->file == file) {
      ++style->uses;
      return style.get();
    }
  }
  std::string path;
  if (!m_paths.find(file, {"", ".psys"}, &path)) {
    udLogger::log(2, "Cannot load particle system ^C00FF00%s^c: no such file\f", file);
    return nullptr;
  }
  auto style = std::make_unique<softParticleStyle>();
  style->file = file;
  if (!_loadStyle(path, style.get()) || !_checkStyle(style.get()))
    return nullptr;
  style->uses = 1;
  m_styles.push_back(std::move(style));
  return m_styles.back().get();
}

bool softParticleTable::_loadStyle(const std::string& path, softParticleStyle* style) {
  std::vector<char> text;
  if (!softReadText(path, &text)) {
    udLogger::log(2, "Cannot load particle system ^C00FF00%s^c: cannot read %s\f",
                  style->file.c_str(), path.c_str());
    return false;
  }
  Parser parser(text.data());
  while (parser.ParseLine()) {
    char* key = parser.GetToken(" ");
    if (!key || softIsComment(key))
      continue;
    auto known = std::find_if(std::begin(STYLE_KEYS), std::end(STYLE_KEYS),
                              [key](const StyleKey& k) { return strcasecmp(k.key, key) == 0; });
    if (known != std::end(STYLE_KEYS))
      known->read(parser, key, style);
    else
      udLogger::log(2, "...unknown key ^C00FF00%s^c in %s line %d\f", key, path.c_str(),
                    parser.GetLineNumber());
  }
  return true;
}

// Rejects values that cannot make a system, orders the ranges, sizes the pool and loads the
// sprite.
bool softParticleTable::_checkStyle(softParticleStyle* style) {
  const char* problem = nullptr;
  if (style->rate < 0.0f || style->count < 0)
    problem = "the rate and the count cannot be negative";
  else if (!(style->lifeMin > 0.0f && style->lifeMax > 0.0f))
    problem = "lifetimes must be above 0";
  if (problem) {
    udLogger::log(2, "Cannot load particle system ^C00FF00%s^c: %s\f", style->file.c_str(),
                  problem);
    return false;
  }
  if (style->lifeMin > style->lifeMax)
    std::swap(style->lifeMin, style->lifeMax);
  if (style->speedMin > style->speedMax)
    std::swap(style->speedMin, style->speedMax);
  double alive = style->rate > 0.0f ? std::ceil(double(style->rate) * style->lifeMax) + 1.0
                                    : double(style->count);
  if (style->count > 0)
    alive = std::min(alive, double(style->count));
  style->capacity = static_cast<int>(std::min(alive, double(MAX_PARTICLES)));
  if (!style->spriteName.empty()) {
    style->sprite = m_sprites.create(style->spriteName.c_str());
    if (style->sprite == -1) {
      udLogger::log(2, "Cannot load particle system ^C00FF00%s^c: its sprite is missing\f",
                    style->file.c_str());
      return false;
    }
  }
  return true;
}

void softParticleTable::_dropStyle(const softParticleStyle* style) {
  for (auto& owned : m_styles) {
    if (owned.get() != style)
      continue;
    if (--owned->uses == 0) {
      if (owned->sprite != -1)
        m_sprites.release(owned->spriteName.c_str());
      owned.reset();
    }
    return;
  }
}
