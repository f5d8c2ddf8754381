#pragma once

// The engine's graphics library. The base class is inert: every id it returns is -1, every size
// 0, every test false, and it draws nothing. A game or a test derives from it and points g_gfx at
// its own object.

struct gfxStats_s {
  float fps;
  int textureMemory, otherMemory, maxMemory, total, textCount, psysCount, bltCount;
};

class gfxSubsystem {
public:
  virtual ~gfxSubsystem();

  gfxStats_s stats {};  // read by the statistics overlay at every drawing

  // Sprites: sheets of animations (rows) of frames (columns).
  virtual int createSprite(const char* file);
  virtual void releaseSprite(const char* name);
  virtual const char* getSpriteName(int sprite);  // null when the id is unknown
  virtual int getSpriteWidth(int sprite);
  virtual int getSpriteHeight(int sprite);
  virtual int getSpriteFrameCount(int sprite, int anim);
  virtual void setupAlphaTestSprite(int sprite);
  virtual bool alphaTestSprite(int sprite, int anim, int frame, int x, int y);
  virtual void blt(int depth, int sprite, int x, int y, int anim, int frame, unsigned char alpha);
  virtual void blt(int depth, int sprite, int x, int y, int width, int height, int anim, int frame,
                   unsigned char alpha);
  virtual void blt(int depth, int sprite, int x, int y, int srcX, int srcY, int width, int height,
                   int anim, int frame, unsigned char alpha);
  virtual void bltSort(int depth, int sortLevel, int sprite, int x, int y, int anim, int frame,
                       unsigned char alpha);

  // Text: byte strings and NUL-terminated strings of 32-bit characters.
  virtual void print(int depth, int font, int set, unsigned int justify, int x, int y, int maxHeight,
                     unsigned char alpha, const char* text);
  virtual void print(int depth, int font, int set, unsigned int justify, int x, int y, int maxHeight,
                     unsigned char alpha, const unsigned int* text);
  virtual int createFont(const char* file);
  virtual void releaseFont(int font);
  virtual const char* getFontName(int font);
  virtual int getFontHeight(int font);
  virtual void getFontDimensions(int font, int* widths256, int* height);
  virtual bool getCharDimensions(int font, int set, unsigned int ch, int* width, int* height);
  virtual bool testFontChar(int font, unsigned int ch);
  virtual void getTextRect(int font, unsigned int justify, int x, int y, const unsigned int* text,
                           int* left, int* top, int* right, int* bottom);

  // Particle systems, also named after the widget that owns them.
  virtual int createParticleSystemInstance(const char* name, const char* file);
  virtual void releaseParticleSystemInstance(const char* name);
  virtual void releaseParticleSystemInstance(int instance);
  virtual void updateParticleSystem(int instance, int x, int y, float seconds);
  virtual void psemit(int depth, int instance, float opacity);
  virtual bool particleSystemInstanceIsDead(int instance);
  virtual void particleSystemInstanceStopEmitters(int instance);
  // Event type 4 with (0, id, 0, 0.0, null) restarts a particle system instance.
  virtual void addEvent(int type, int value, int instance, int value2, float f, void* data);

  virtual int getScreenWidth();
  virtual int getMaxDepthNode();
  virtual void registerThread(const char* label);
  virtual void unregisterThread(const char* label);
};

extern gfxSubsystem* g_gfx;  // null until the game sets it
