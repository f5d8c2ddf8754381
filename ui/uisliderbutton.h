#pragma once

#include "uibutton.h"

// The thumb of a horizontal slider: a button that the user drags sideways between two limits and
// whose position reads and writes as a value from 0 to 1. The game follows a drag through dragCb
// and hears its end through releaseCb; the slider plays no sounds and ignores its hotkey.
class uiSliderButton : public uiButton {
public:
  static uiWidget* s_allocator();
  const char* getType() override;
  bool isType(const char* type) override;

  // -- Value --
  // 0 with the thumb at min x, 1 at max x; 0 when the limits leave no room to move.
  float getValue() const;
  // Values outside 0..1 put the thumb outside its limits until the next drag moves it.
  void setValue(float value);

  // Read and written by the game.
  int minX = 0;       // smallest left edge of the thumb
  int maxRight = 1;   // largest right edge: max x plus the sprite's frame width
  int dragX = 0;      // pointer position while dragging
  int dragY = 0;      // recorded, not used for movement
  int maxX = 1;       // largest left edge of the thumb

protected:
  void _parseParams(Parser* parser, char* key) override;
  void _update(int x, int y) override;
  bool _inputEvent(e_uiEvent event, int x, int y, int key, bool buttonHeld, bool handled) override;

private:
  void _followPointer();
};
