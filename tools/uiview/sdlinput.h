#pragma once

#include "uiwidget.h"

union SDL_Event;

// One input event as the UI library takes it.
struct SdlUiEvent {
  e_uiEvent event;
  int x, y;  // the pointer's position for pointer events, 0 for the keyboard's
  int key;   // key or character code for keyboard events
};

// Translates an SDL event into the library's input events: pointer moves and the left button,
// key downs and ups with the key codes the library and its buttons' hotkeys read, and typed text
// as one character event per character. Fills at most `capacity` events and returns how many;
// events SDL has that the library has no use for give none.
int translateSdlEvent(const SDL_Event& event, SdlUiEvent* out, int capacity);

// The library's code for an SDL key: 9 Tab, 13 Enter, 27 Escape, 32 Space, 127 erase (the
// backspace key), 136 Alt, 137 Ctrl, 138 Shift, 163 to 172 F1 to F10, and the character of the
// other keys that type one (letters in lower case). -1 for keys the library knows no code for.
int uiKeyCode(int sdlKey);
