#pragma once

#include "uivisualwidget.h"

// The push button: a visual widget whose sprite holds one animation per state (idle, hover,
// pressed, disabled), with a highlight sound on entering, a click sound and an optional particle
// burst on each click, a hotkey, and a guard against a press within 5 frames of a click.

// Button flags, in the subclass half of the flags word.
enum : unsigned int {
  UIB_PRESSED = 0x10000,       // the pressed state has its own animation
  UIB_HOVER = 0x20000,         // the hover state has its own animation
  UIB_DONTDRAWIDLE = 0x40000,  // short layout: idle, pressed, disabled
};

class uiButton : public uiVisualWidget {
public:
  static uiWidget* s_allocator();
  const char* getType() override;
  bool isType(const char* type) override;

  uiButton();

  // -- Sounds and particles --
  // Buttons made afterwards start with these sounds. The pointers are kept, not the text.
  static void setDefaultSounds(const char* click, const char* highlight);
  void setClickSound(const char* sound);
  void setHighlightSound(const char* sound);
  void setParticleSystem(const char* file);  // the instance is made at the next click
  void resetPsys();  // starts the click's particle instance, or restarts the live one

  // -- State --
  void enable();
  void disable();  // also drops hover and press, and leaves the input focus stack
  bool isHovering() const { return hover; }
  int getButtonWidth() const;  // the sprite's frame size; 0 without a sprite
  int getButtonHeight() const;

  bool testBounds(int x, int y) override;

  static const char* s_clickDefault;
  static const char* s_highlightDefault;

  // Read and written by the subclasses and the game.
  bool pressed = false;  // a press on the button waits for its release
  long long lastClickFrame = -20;  // s_frameNumber of the last click; lets the first press through
  bool hover = false;
  int hotkey = -1;  // key code that clicks the button; -1: none
  int psysId = -1;  // particle instance started by clicks; -1: none
  char psysName[128] {};
  char clickSound[128] {};
  char highlightSound[128] {};
  unsigned int frameTimer = 0;  // ms towards the next frame
  unsigned int rate = 1000;     // ms per frame of the state animations
  int lastAnim = -1;            // the state animation chosen last

protected:
  void _parseParams(Parser* parser, char* key) override;
  void _parseSingleFlag(const char* flag) override;
  void _update(int x, int y) override;
  void _render(int x, int y) override;
  bool _inputEvent(e_uiEvent event, int x, int y, int key, bool buttonHeld, bool handled) override;
  void _deactivate() override;
  void _loseFocus() override;

  virtual void _parseHotkey(const char* keyName);
  // The base animation plus the offset of the current state; a change restarts the frame.
  virtual int _getButtonAnim();
  virtual void _resetHover(bool on);  // on plays the highlight sound

private:
  void _updateFrame();
  void _updateParticles(int ox, int oy);
  void _releaseInputFocus();
};
