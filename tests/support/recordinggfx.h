#pragma once

#include "gfxsubsystem.h"

#include <deque>
#include <mutex>
#include <string>
#include <vector>

// A graphics backend for tests. It installs itself in g_gfx while it lives (putting the previous
// one back afterwards), records every call that draws or changes state as one line of text, and
// knows only the sprites, fonts and particle systems a test defines:
//
//   RecordingGfx gfx;
//   gfx.defineSprite("button", 64, 32, 4, 4);  // two animations of 4 frames: id 1
//   gfx.defineFont("small", 8, 12);            // every character 8 x 12: id 1
//   ... run a frame ...
//   EXPECT_EQ(gfx.calls, (std::vector<std::string>{
//       "blt depth=3 sprite=1 x=10 y=20 anim=0 frame=1 alpha=255"}));
//
// A line names the operation, then its arguments as "name=value" in their order ("printw" is the
// 32-bit text form, shown as UTF-8), then " -> id" for a creation. Queries (sizes, names, tests,
// getTextRect, the screen) are answered and not recorded; every pixel of a sprite is opaque.
// Ids count from 1 in the order of definition (sprites, fonts) or creation (particle system
// instances); creating a name that was not defined returns -1, as a real backend does for a
// missing file. Misuse that a real backend would punish (releasing what is not held, drawing with
// a sprite or font not created, touching a released instance) is listed in `failures`.
// Definitions come before any other thread uses the backend; the rest may run on any thread.
class RecordingGfx : public gfxSubsystem {
public:
  RecordingGfx();
  ~RecordingGfx() override;
  RecordingGfx(const RecordingGfx&) = delete;
  RecordingGfx& operator=(const RecordingGfx&) = delete;

  // Setup. Frames per animation default to one animation of one frame.
  void defineSprite(const std::string& file, int width, int height,
                    std::vector<int> framesPerAnim = {1});
  template <class... More>
  void defineSprite(const std::string& file, int width, int height, int frames, More... more) {
    defineSprite(file, width, height, std::vector<int> {frames, more...});
  }
  // Characters of fixed width; `chars` lists those that exist (all but NUL when empty).
  void defineFont(const std::string& file, int charWidth, int height, std::u32string chars = U"");
  void defineParticleSystem(const std::string& file) { m_particleFiles.push_back(file); }

  int spriteId(const std::string& file) const { return _find(m_sprites, file); }  // -1: none
  int spriteUses(const std::string& file) const;  // creations not yet released
  int fontUses(const std::string& file) const;
  int liveParticleInstances() const;
  std::vector<std::string> callsOf(const std::string& operation) const;  // lines of one operation
  void clearCalls();

  std::vector<std::string> calls;
  std::vector<std::string> failures;

  int createSprite(const char* file) override { return _create(m_sprites, "createSprite", file); }
  void releaseSprite(const char* name) override;
  const char* getSpriteName(int id) override { return _name(_at(m_sprites, id)); }
  int getSpriteWidth(int id) override { return _at(m_sprites, id).width; }
  int getSpriteHeight(int id) override { return _at(m_sprites, id).height; }
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
  int createFont(const char* file) override { return _create(m_fonts, "createFont", file); }
  void releaseFont(int font) override;
  const char* getFontName(int id) override { return _name(_at(m_fonts, id)); }
  int getFontHeight(int id) override { return _at(m_fonts, id).height; }
  void getFontDimensions(int font, int* widths256, int* height) override;
  bool getCharDimensions(int font, int set, unsigned int ch, int* width, int* height) override;
  bool testFontChar(int font, unsigned int ch) override { return _hasChar(_at(m_fonts, font), ch); }
  // Justification: 0 left, bit 1 right, bit 2 centre (which wins when both are set).
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

  int getScreenWidth() override { return 800; }
  int getMaxDepthNode() override { return 100; }
  void registerThread(const char* label) override;
  void unregisterThread(const char* label) override;

private:
  // A defined sprite or font; `uses` counts the creations not yet released.
  struct Resource {
    std::string file;
    int width, height;               // of the sprite, or of every character of the font
    std::vector<int> framesPerAnim;  // sprites only
    std::u32string chars;            // fonts only
    int uses = 0;
  };
  struct Instance {
    std::string name;
    bool live = true;
  };

  void _record(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void _fail(const char* format, ...) __attribute__((format(printf, 2, 3)));
  int _create(std::deque<Resource>& all, const char* operation, const char* file);
  static int _find(const std::deque<Resource>& all, const std::string& file);
  // The resource of an id; for an unknown id, m_none: no name, no size, no characters.
  const Resource& _at(const std::deque<Resource>& all, int id) const;
  const char* _name(const Resource& resource) const;
  Resource* _used(std::deque<Resource>& all, const char* operation, int id);
  Instance* _liveInstance(const char* operation, int id);
  bool _hasChar(const Resource& font, unsigned int ch) const;

  gfxSubsystem* m_previous = nullptr;
  mutable std::recursive_mutex m_mutex;  // guards the calls, failures, uses and instances
  // Deques keep the names in place, so that getSpriteName and getFontName may return them.
  std::deque<Resource> m_sprites;
  std::deque<Resource> m_fonts;
  std::vector<std::string> m_particleFiles;
  std::vector<Instance> m_instances;
  Resource m_none {};
};
