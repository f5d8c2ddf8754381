#pragma once

#include "uibutton.h"

// A button with an on/off state and a second sprite that it draws, with the same state
// animations, while it is on. The state flips whenever the button's input handling reports an
// event as handled; the game can also read, set and flip it directly.
class uiToggleButton : public uiButton {
public:
  static uiWidget* s_allocator();
  const char* getType() override;
  bool isType(const char* type) override;

  uiToggleButton() = default;
  // A copy takes its own use of the second sprite, so that each destructor releases one use.
  uiToggleButton(const uiToggleButton& other);
  uiToggleButton& operator=(const uiToggleButton& other);
  ~uiToggleButton() override;

  // -- Second sprite --
  // Stores the name only: it takes effect the next time the second sprite is created, at the
  // next activation. Returns true.
  virtual bool setSprite2(const char* file);

  // -- State: none of these plays a sound or calls a callback --
  virtual void setToggle(bool on);
  virtual bool getToggle() const;
  virtual void toggle();

  // Read and written by subclasses and the game.
  int toggled = 0;       // 0 or 1
  int sprite2Id = -1;    // drawn while toggled; -1: none
  char sprite2Name[128] {};

protected:
  void _parseParams(Parser* parser, char* key) override;
  void _render(int x, int y) override;
  bool _inputEvent(e_uiEvent event, int x, int y, int key, bool buttonHeld, bool handled) override;
  void _activate() override;
  void _deactivate() override;
};
