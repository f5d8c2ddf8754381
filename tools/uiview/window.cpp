#include "modes.h"
#include "sdlinput.h"
#include "viewer.h"

#include "demopalette.h"

#include "core.h"
#include "sdlgfx.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>

namespace {

const Uint32 LONGEST_FRAME_MS = 100;  // after a stall, time goes on as if one frame had passed

// Hands the window's pending events to the viewer; false once the window is closed.
bool pumpEvents(Viewer& viewer) {
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    if (event.type == SDL_QUIT)
      return false;
    SdlUiEvent translated[SDL_TEXTINPUTEVENT_TEXT_SIZE];
    int count = translateSdlEvent(event, translated, SDL_TEXTINPUTEVENT_TEXT_SIZE);
    for (int i = 0; i < count; ++i)
      viewer.input(translated[i].event, translated[i].x, translated[i].y, translated[i].key);
  }
  return true;
}

// A renderer without vertical sync would run as fast as it can; this keeps it near 60 frames.
void pace(Uint32 frameStart, bool vsync) {
  Uint32 spent = SDL_GetTicks() - frameStart;
  if (!vsync && spent < FRAME_MS)
    SDL_Delay(FRAME_MS - spent);
}

}  // namespace

int runWindow(const ViewOptions& options) {
  std::string title = "uiview - " + options.file;
  sdlGfx gfx(title.c_str(), options.width, options.height, SDL_WINDOW_RESIZABLE);
  if (!gfx.ok())
    return 1;
  gfx.addSearchPath("art");
  demoSetPalette(gfx);
  g_gfx = &gfx;
  SDL_RendererInfo info;
  bool vsync = SDL_GetRendererInfo(gfx.renderer(), &info) == 0 &&
               (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
  {
    Viewer viewer(options.file, options.dialogs);
    viewer.start();
    printProblems(viewer);
    SDL_StartTextInput();
    Uint32 last = SDL_GetTicks();
    for (long frame = 0; options.frames < 0 || frame < options.frames; ++frame) {
      if (!pumpEvents(viewer))
        break;
      Uint32 now = SDL_GetTicks();
      Uint32 ms = std::clamp<Uint32>(now - last, 1, LONGEST_FRAME_MS);
      last = now;
      gfx.beginFrame(ms * 0.001f);
      if (viewer.frame(ms))
        printProblems(viewer);
      gfx.endFrame();
      gfx.present();
      // A custom cursor widget hides the system's pointer while it is installed.
      SDL_ShowCursor(Platform::IsCursorShown() ? SDL_ENABLE : SDL_DISABLE);
      pace(now, vsync);
    }
    SDL_StopTextInput();
  }
  g_gfx = nullptr;
  return 0;
}
