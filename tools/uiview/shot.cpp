#include "modes.h"
#include "viewer.h"

#include "demopalette.h"
#include "demoscript.h"

#include "uisubsystem.h"

#include "softgfx.h"

#include <cstdio>

namespace {

const unsigned int DEFAULT_FRAMES = 60;  // a second: long enough for dialogs to come in

}  // namespace

int runShot(const ViewOptions& options) {
  demoScript script;
  if (!options.script.empty() && !script.load(options.script.c_str())) {
    for (const std::string& error : script.errors())
      std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  unsigned long frames = options.frames >= 0 ? static_cast<unsigned long>(options.frames)
                         : options.script.empty() ? DEFAULT_FRAMES
                                                  : script.lastFrame() + 1ul;
  softGfx gfx(options.width, options.height);
  gfx.addSearchPath("art");
  demoSetPalette(gfx);
  g_gfx = &gfx;
  bool written = false;
  {
    Viewer viewer(options.file, options.dialogs);
    viewer.start();
    printProblems(viewer);
    for (unsigned long frame = 0; frame < frames; ++frame) {
      script.dispatch(static_cast<unsigned int>(frame), *g_ui);
      gfx.beginFrame(FRAME_MS * 0.001f);
      viewer.frame(FRAME_MS);
      gfx.endFrame();
    }
    written = gfx.savePNG(options.shot.c_str());
  }
  g_gfx = nullptr;
  if (written)
    std::printf("uiview: %lu frame%s of %s drawn to %s\n", frames, frames == 1 ? "" : "s",
                options.file.c_str(), options.shot.c_str());
  return written ? 0 : 1;
}
