#include "sdlinput.h"

#include "uitextwidget.h"

#include <SDL.h>

namespace {

const int F1 = 163;  // F2 to F10 follow

struct KeyCode {
  SDL_Keycode sdl;
  int ui;
};

const KeyCode KEY_CODES[] = {
    {SDLK_TAB, UIK_TAB},     {SDLK_RETURN, UIK_ENTER}, {SDLK_KP_ENTER, UIK_ENTER},
    {SDLK_ESCAPE, 27},       {SDLK_SPACE, 32},         {SDLK_BACKSPACE, UIK_ERASE},
    {SDLK_DELETE, UIK_ERASE}, {SDLK_LALT, UIK_ALT},    {SDLK_RALT, UIK_ALT},
    {SDLK_LCTRL, UIK_CTRL},  {SDLK_RCTRL, UIK_CTRL},   {SDLK_LSHIFT, UIK_SHIFT},
    {SDLK_RSHIFT, UIK_SHIFT},
};

int translateKey(const SDL_KeyboardEvent& key, SdlUiEvent* out) {
  int code = uiKeyCode(key.keysym.sym);
  bool down = key.type == SDL_KEYDOWN;
  // A held key repeats only to erase; a repeated hotkey would press its button again.
  if (down && key.repeat && code != UIK_ERASE)
    return 0;
  if (code != -1) {
    *out = SdlUiEvent {down ? UIE_KEYDOWN : UIE_KEYUP, 0, 0, code};
    return 1;
  }
  if (!down)
    return 0;
  *out = SdlUiEvent {UIE_OTHERKEY, 0, 0, static_cast<int>(key.keysym.sym)};
  return 1;
}

int translateText(const char* text, SdlUiEvent* out, int capacity) {
  unsigned int characters[SDL_TEXTINPUTEVENT_TEXT_SIZE];
  utf8ToText(characters, text, SDL_TEXTINPUTEVENT_TEXT_SIZE);
  int count = 0;
  for (int i = 0; i < SDL_TEXTINPUTEVENT_TEXT_SIZE && characters[i] && count < capacity; ++i)
    out[count++] = SdlUiEvent {UIE_CHAR, 0, 0, static_cast<int>(characters[i])};
  return count;
}

}  // namespace

int translateSdlEvent(const SDL_Event& event, SdlUiEvent* out, int capacity) {
  if (capacity <= 0)
    return 0;
  switch (event.type) {
    case SDL_MOUSEMOTION:
      *out = SdlUiEvent {UIE_MOUSEMOVE, event.motion.x, event.motion.y, 0};
      return 1;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      if (event.button.button != SDL_BUTTON_LEFT)
        return 0;
      *out = SdlUiEvent {event.type == SDL_MOUSEBUTTONDOWN ? UIE_MOUSEDOWN : UIE_MOUSEUP,
                         event.button.x, event.button.y, 0};
      return 1;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      return translateKey(event.key, out);
    case SDL_TEXTINPUT:
      return translateText(event.text.text, out, capacity);
    default:
      return 0;
  }
}

int uiKeyCode(int sdlKey) {
  for (const KeyCode& entry : KEY_CODES)
    if (entry.sdl == sdlKey)
      return entry.ui;
  if (sdlKey >= SDLK_F1 && sdlKey <= SDLK_F10)
    return F1 + (sdlKey - SDLK_F1);
  if (sdlKey > 32 && sdlKey < 127)
    return sdlKey;
  return -1;
}
