#include "sdlinput.h"

#include <SDL.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

SDL_Event key(Uint32 type, SDL_Keycode code, bool repeat = false) {
  SDL_Event event {};
  event.type = type;
  event.key.keysym.sym = code;
  event.key.repeat = repeat ? 1 : 0;
  return event;
}

SDL_Event button(Uint32 type, Uint8 which, int x, int y) {
  SDL_Event event {};
  event.type = type;
  event.button.button = which;
  event.button.x = x;
  event.button.y = y;
  return event;
}

SDL_Event motion(int x, int y) {
  SDL_Event event {};
  event.type = SDL_MOUSEMOTION;
  event.motion.x = x;
  event.motion.y = y;
  return event;
}

SDL_Event text(const char* typed) {
  SDL_Event event {};
  event.type = SDL_TEXTINPUT;
  std::strncpy(event.text.text, typed, sizeof event.text.text - 1);
  return event;
}

std::string describe(const SdlUiEvent& e) {
  return std::to_string(e.event) + " " + std::to_string(e.x) + "," + std::to_string(e.y) + " " +
         std::to_string(e.key);
}

}  // namespace

TEST(SdlInput, EventsBecomeTheLibrarysEvents) {
  struct Case {
    const char* what;
    SDL_Event event;
    std::vector<std::string> expected;  // event x,y key
  };
  const Case cases[] = {
      {"move", motion(12, 34), {"0 12,34 0"}},
      {"left press", button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 5, 6), {"1 5,6 0"}},
      {"right press", button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 5, 6), {}},
      {"tab down", key(SDL_KEYDOWN, SDLK_TAB), {"3 0,0 9"}},
      {"keypad enter", key(SDL_KEYDOWN, SDLK_KP_ENTER), {"3 0,0 13"}},
      {"held backspace", key(SDL_KEYDOWN, SDLK_BACKSPACE, true), {"3 0,0 127"}},
      {"held escape", key(SDL_KEYDOWN, SDLK_ESCAPE, true), {}},
      {"left ctrl", key(SDL_KEYUP, SDLK_LCTRL), {"4 0,0 137"}},
      {"F10", key(SDL_KEYUP, SDLK_F10), {"4 0,0 172"}},
      {"arrow", key(SDL_KEYDOWN, SDLK_LEFT), {"6 0,0 " + std::to_string(SDLK_LEFT)}},
      {"arrow up", key(SDL_KEYUP, SDLK_LEFT), {}},
      {"typed", text("a\xc3\xa9"), {"5 0,0 97", "5 0,0 233"}},
      {"window", SDL_Event {SDL_WINDOWEVENT}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SdlUiEvent out[SDL_TEXTINPUTEVENT_TEXT_SIZE];
    int count = translateSdlEvent(c.event, out, SDL_TEXTINPUTEVENT_TEXT_SIZE);
    std::vector<std::string> got;
    for (int i = 0; i < count; ++i)
      got.push_back(describe(out[i]));
    EXPECT_EQ(got, c.expected);
  }
  // A long text fills what it is given and no more.
  SdlUiEvent out[3];
  EXPECT_EQ(translateSdlEvent(text("abcdef"), out, 3), 3);
  EXPECT_EQ(out[2].key, 'c');
  EXPECT_EQ(translateSdlEvent(text("abc"), out, 0), 0);
}
