#pragma once

#include "softfiles.h"
#include "softimage.h"
#include "softslots.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class softSpriteTable;

// How the particles of a system are born, move and look; read from a descriptor file and shared
// by every instance made from that file. A descriptor has one "key = value" line each; a "#" or
// "//" word starts a comment that runs to the line's end. Every key is optional:
//
//   rate = 0                        # particles per second; 0 emits the whole count at once
//   count = 30                      # particles per run; 0 = no end (then rate must be above 0)
//   lifetime = 0.4 0.8              # seconds, chosen at random between the two
//   speed = 60 160                  # pixels per second, likewise
//   angle = 90 360                  # direction and width of the spray in degrees; 0 right, 90 up
//   gravity = 0 300                 # pixels per second squared, y downwards
//   startcolour = 255 240 160 255   # red green blue alpha at birth
//   endcolour = 255 80 0 0          # ... at death; colour and size change linearly in between
//   size = 6 1                      # diameter in pixels at birth and at death
//   sprite = spark                  # draw this sprite's first animation over each particle's
//                                   # life, stretched to the size, instead of a disc
//   seed = 7                        # the random sequence (mixed with the instance's name)
struct softParticleStyle {
  std::string file;  // as given to create
  float rate = 0.0f;
  int count = 20;
  float lifeMin = 1.0f, lifeMax = 1.0f;
  float speedMin = 50.0f, speedMax = 50.0f;
  float direction = 90.0f, spread = 360.0f;
  float gravityX = 0.0f, gravityY = 0.0f;
  softColour startColour {255, 255, 255, 255};
  softColour endColour {255, 255, 255, 0};
  float startSize = 4.0f, endSize = 4.0f;
  std::string spriteName;
  int sprite = -1;
  unsigned int seed = 1;
  int capacity = 0;  // the most particles alive at once, reserved when an instance is made
  int uses = 0;
};

struct softParticle {
  float x, y;       // centre, in screen pixels
  float vx, vy;     // pixels per second
  float age, life;  // seconds
};

// One running particle system. Its emitter sits where the last update put it; particles live in
// screen coordinates and do not follow the emitter once born. Random numbers come from a seeded
// generator, so the same updates give the same particles on every run.
class softParticleSystem {
public:
  softParticleSystem(std::string name, const softParticleStyle* style);

  const std::string& name() const { return m_name; }
  const softParticleStyle& style() const { return *m_style; }
  const std::vector<softParticle>& particles() const { return m_particles; }

  // Ages and moves the particles by `seconds`, drops those past their life, then emits at (x, y).
  void update(int x, int y, float seconds);
  void restart();  // forgets every particle and emits the whole run again
  void stopEmitters();
  // No particle left and none to come. A system that emits without end dies only once stopped.
  bool isDead() const;

  softColour colourOf(const softParticle& particle) const;
  float sizeOf(const softParticle& particle) const;
  int frameOf(const softParticle& particle, int frameCount) const;

private:
  bool _emissionOver() const;
  void _emit(int count, int x, int y);
  float _random(float low, float high);

  std::string m_name;
  const softParticleStyle* m_style;
  uint32_t m_random;
  float m_pending = 0.0f;  // particles owed by the rate, below one
  int m_emitted = 0;       // counted only for a system with a count
  bool m_stopped = false;
  std::vector<softParticle> m_particles;
};

// Particle system instances by id and by name, and the styles they share.
//
// Ids count from 1 and are never given again. Two instances may share a name; releasing by name
// releases the newest of them.
class softParticleTable {
public:
  softParticleTable(const softSearchPath& paths, softSpriteTable& sprites)
      : m_paths(paths), m_sprites(sprites) {}
  ~softParticleTable();
  softParticleTable(const softParticleTable&) = delete;
  softParticleTable& operator=(const softParticleTable&) = delete;

  int create(const char* name, const char* file);  // -1 when the file cannot be loaded (logged)
  void release(const char* name);
  void release(int id);
  softParticleSystem* get(int id);  // null for an unknown or released id
  size_t byteSize() const;

  static const int MAX_PARTICLES = 10000;  // per instance

private:
  softParticleStyle* _style(const char* file);
  bool _loadStyle(const std::string& path, softParticleStyle* style);
  bool _checkStyle(softParticleStyle* style);
  void _dropStyle(const softParticleStyle* style);

  const softSearchPath& m_paths;
  softSpriteTable& m_sprites;
  std::vector<std::unique_ptr<softParticleStyle>> m_styles;
  softSlots<softParticleSystem> m_systems;
};
