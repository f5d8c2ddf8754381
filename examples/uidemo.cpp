// uidemo: runs the demo's game front end headless through a scripted timeline of input, prints
// what the game hears (callbacks, dialog changes, sounds) and keeps the frames the script names
// as PNG pictures, with a contact sheet of them all.
//
//   uidemo [--out FOLDER] [--ms MILLISECONDS] [--quiet] SCRIPT
//
// The UI files and art are read from the script's folder. Every frame lasts the same time
// (16 ms unless --ms says otherwise), so two runs give the same pictures. The pictures go to
// out/demo/ under the current folder unless --out names another.
#include "democontact.h"
#include "demogame.h"
#include "demopalette.h"
#include "demoscript.h"

#include "uisubsystem.h"

#include "softgfx.h"
#include "softsound.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

struct Options {
  std::string script;
  std::string out = "out/demo";
  unsigned int frameMs = 16;
  bool quiet = false;
};

bool readOptions(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (std::strcmp(arg, "--out") == 0 && i + 1 < argc) {
      options->out = argv[++i];
    } else if (std::strcmp(arg, "--ms") == 0 && i + 1 < argc) {
      long ms = std::strtol(argv[++i], nullptr, 10);
      if (ms < 1 || ms > 1000)
        return false;
      options->frameMs = static_cast<unsigned int>(ms);
    } else if (std::strcmp(arg, "--quiet") == 0) {
      options->quiet = true;
    } else if (arg[0] != '-' && options->script.empty()) {
      options->script = arg;
    } else {
      return false;
    }
  }
  return !options->script.empty();
}

// Runs the timeline; false when a picture cannot be written.
bool run(const demoScript& script, const Options& options, const fs::path& out, softGfx& gfx,
         demoGame& game) {
  demoContactSheet sheet;
  int pictures = 0;
  for (unsigned int frame = 0; frame <= script.lastFrame(); ++frame) {
    game.beginFrame(frame);
    script.dispatch(frame, *g_ui);
    game.update();
    gfx.beginFrame(options.frameMs * 0.001f);
    g_ui->render(options.frameMs);
    gfx.endFrame();
    game.endFrame();
    for (const std::string& name : script.shotsAt(frame)) {
      char file[160];
      std::snprintf(file, sizeof file, "%05u-%s.png", frame, name.c_str());
      if (!gfx.savePNG((out / file).string().c_str())) {
        std::fprintf(stderr, "uidemo: cannot write %s\n", (out / file).string().c_str());
        return false;
      }
      sheet.add(gfx.frame(), std::to_string(frame) + "  " + name);
      ++pictures;
    }
  }
  if (!sheet.empty() && !sheet.save((out / "contact.png").string().c_str())) {
    std::fprintf(stderr, "uidemo: cannot write the contact sheet\n");
    return false;
  }
  std::printf("uidemo: %u frames run, %d pictures and contact.png written to %s\n",
              script.lastFrame() + 1, pictures, out.string().c_str());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!readOptions(argc, argv, &options)) {
    std::fprintf(stderr, "usage: uidemo [--out FOLDER] [--ms MILLISECONDS] [--quiet] SCRIPT\n");
    return 2;
  }
  demoScript script;
  if (!script.load(options.script.c_str())) {
    for (const std::string& error : script.errors())
      std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  std::error_code error;
  fs::path out = fs::absolute(options.out, error);
  fs::create_directories(out, error);
  if (error) {
    std::fprintf(stderr, "uidemo: cannot make %s\n", options.out.c_str());
    return 1;
  }
  // The UI files name each other and their art relative to their own folder.
  fs::current_path(fs::absolute(options.script).parent_path(), error);

  softGfx gfx(800, 600);
  gfx.addSearchPath("art");
  demoSetPalette(gfx);
  g_gfx = &gfx;
  softSound sound;
  bool ok = false;
  {
    uiSubsystem ui;
    ui.initialize(nullptr);
    demoGame game(sound);
    game.setEcho(!options.quiet);
    if (!game.start())
      std::fprintf(stderr, "uidemo: the front end did not start; its files are read from the "
                           "script's folder\n");
    else
      ok = run(script, options, out, gfx, game);
    ui.shutdown();
  }
  g_gfx = nullptr;
  return ok ? 0 : 1;
}
