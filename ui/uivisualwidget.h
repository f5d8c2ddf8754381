#pragma once

#include "uialphafade.h"
#include "uiwidget.h"

// A widget that draws one frame of a sprite sheet, alone or as a grid of tiles, with its own alpha
// and a timed fade. The sprite is created when the widget becomes active and, while dynamic loading
// is on, released when it becomes inactive. The base of every sprite-drawing control.
class uiVisualWidget : public uiWidget {
public:
  // Tiles drawn per row and per column at most, so that a count read from a file cannot make a
  // frame draw for hours.
  static constexpr int MAX_TILES = 1024;

  static uiWidget* s_allocator();
  const char* getType() override;
  bool isType(const char* type) override;

  uiVisualWidget() = default;
  // A copy takes its own use of the sprite, so that each destructor releases one use.
  uiVisualWidget(const uiVisualWidget& other);
  uiVisualWidget& operator=(const uiVisualWidget& other);
  ~uiVisualWidget() override;

  // -- Sprite --
  virtual void releaseSprite();  // keeps the name: the next activation creates the sprite again
  // Stores the name, animation and frame and drops the sprite held so far; with create the new
  // sprite is made at once, otherwise at the next activation. Returns true.
  virtual bool setSprite(const char* file, int newAnim, int newFrame, bool create);
  virtual void setAnim(int newAnim);    // the frame stays
  virtual void setFrame(int newFrame);  // not checked against the animation
  virtual int getFrame() const;
  virtual int getSpriteId() const;  // -1: no sprite
  virtual unsigned char getAlpha() const;
  void setSortLevel(int level);  // -1 draws with blt, any other level with bltSort

  // -- Input and alpha --
  bool testBounds(int x, int y) override;
  // Duration and delay in milliseconds; a duration of 0 sets the alpha at once.
  void setAlpha(unsigned char newAlpha, unsigned int duration, unsigned int delay,
                bool propagate) override;

  // Read and written by the subclasses and the game.
  int spriteId = -1;  // one use of the sprite, held from creation to release
  int anim = 0;
  int frame = 0;
  char spriteName[128] {};
  unsigned char alpha = 255;  // 0 is not drawn
  _AlphaFade_s fade;
  int tileRows = 1;
  int tileColumns = 1;
  int sortLevel = -1;

protected:
  void _parseParams(Parser* parser, char* key) override;
  void _update(int x, int y) override;
  void _render(int x, int y) override;
  bool _inputEvent(e_uiEvent event, int x, int y, int key, bool buttonHeld, bool handled) override;
  void _activate() override;
  void _deactivate() override;

  void _lerpToTargetAlpha(unsigned int ms);
};
