// uiview: shows a UI definition file in a window and reloads it whenever it or a file it uses
// changes; checks UI definition files for problems; renders one headless.
//
//   uiview [--dialog PATH]... [--size WxH] [--frames N] FILE
//   uiview --check FILE...
//   uiview --shot OUT.png [--frames N] [--script FILE] [--dialog PATH]... [--size WxH] FILE
#include "definitionlinter.h"
#include "modes.h"
#include "viewer.h"

#ifdef UIVIEW_SHOT
#include "softgfx.h"
#endif

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char USAGE[] =
    "usage: uiview [--dialog PATH]... [--size WxH] [--frames N] FILE\n"
    "         a window on FILE that reloads it when it or a file it uses changes;\n"
    "         F1 statistics, F2 next dialog, F5 reload\n"
    "       uiview --check FILE...\n"
    "         prints every problem the loader finds as file:line: message; exit status 1\n"
    "         when there is one\n"
    "       uiview --shot OUT.png [--frames N] [--script FILE] [--dialog PATH]... [--size WxH]\n"
    "              FILE\n"
    "         renders FILE without a window, with the input of a demo script, and writes the\n"
    "         last frame\n";

int usage() {
  std::fputs(USAGE, stderr);
  return 2;
}

bool readCount(const char* text, long lowest, long highest, long* value) {
  char* end = nullptr;
  *value = std::strtol(text, &end, 10);
  return end != text && *end == '\0' && *value >= lowest && *value <= highest;
}

bool readSize(const char* text, ViewOptions* options) {
  int width = 0, height = 0;
  char rest = 0;
  if (std::sscanf(text, "%dx%d%c", &width, &height, &rest) != 2)
    return false;
  if (width < 64 || height < 64 || width > 8192 || height > 8192)
    return false;
  options->width = width;
  options->height = height;
  return true;
}

// One option and its value, if it takes one; false for anything unknown or malformed.
bool readOption(int argc, char** argv, int* at, ViewOptions* options) {
  const char* option = argv[*at];
  const char* value = *at + 1 < argc ? argv[*at + 1] : nullptr;
  if (!value)
    return false;
  ++*at;
  if (std::strcmp(option, "--dialog") == 0)
    options->dialogs.push_back(value);
  else if (std::strcmp(option, "--shot") == 0)
    options->shot = value;
  else if (std::strcmp(option, "--script") == 0)
    options->script = value;
  else if (std::strcmp(option, "--frames") == 0)
    return readCount(value, 0, 10000000, &options->frames);
  else if (std::strcmp(option, "--size") == 0)
    return readSize(value, options);
  else
    return false;
  return true;
}

bool readOptions(int argc, char** argv, ViewOptions* options) {
  for (int at = 1; at < argc; ++at) {
    if (argv[at][0] == '-' && argv[at][1] == '-') {
      if (!readOption(argc, argv, &at, options))
        return false;
    } else if (options->file.empty()) {
      options->file = argv[at];
    } else {
      return false;
    }
  }
  return !options->file.empty() && (options->script.empty() || !options->shot.empty());
}

// The modes run in the file's folder; the paths that name other files stay where they point.
bool enterFileFolder(ViewOptions* options) {
  std::error_code error;
  if (!options->shot.empty())
    options->shot = fs::absolute(options->shot, error).string();
  if (!options->script.empty())
    options->script = fs::absolute(options->script, error).string();
  fs::path file = fs::absolute(options->file, error);
  fs::current_path(file.parent_path(), error);
  if (error) {
    std::fprintf(stderr, "uiview: cannot enter the folder of %s\n", options->file.c_str());
    return false;
  }
  options->file = file.filename().string();
  return true;
}

// Fonts and sprites are loaded for real where the software backend is built, so that missing
// art is found as well.
int runCheck(const std::vector<std::string>& files) {
#ifdef UIVIEW_SHOT
  softGfx gfx;
  gfx.addSearchPath("art");
  return lintDefinitionFiles(files, stdout, &gfx);
#else
  return lintDefinitionFiles(files, stdout);
#endif
}

int runMode(const ViewOptions& options) {
  if (!options.shot.empty()) {
#ifdef UIVIEW_SHOT
    return runShot(options);
#else
    std::fprintf(stderr, "uiview: built without the software graphics backend: no --shot\n");
    return 2;
#endif
  }
#ifdef UIVIEW_WINDOW
  return runWindow(options);
#else
  std::fprintf(stderr, "uiview: built without SDL2: no window\n");
  return 2;
#endif
}

}  // namespace

void printProblems(const Viewer& viewer) {
  const LiveTree& live = viewer.live();
  for (const LoadProblem& problem : live.problems())
    std::fprintf(stderr, "%s\n", formatProblem(problem).c_str());
  if (live.lastLoadFailed() && live.root())
    std::fprintf(stderr, "uiview: %s not reloaded; the last tree without problems stays\n",
                 live.file().c_str());
  else if (live.problems().empty())
    std::fprintf(stderr, "uiview: %s loaded\n", live.file().c_str());
}

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "--check") == 0) {
    if (argc < 3)
      return usage();
    return runCheck(std::vector<std::string>(argv + 2, argv + argc));
  }
  ViewOptions options;
  if (!readOptions(argc, argv, &options))
    return usage();
  if (!enterFileFolder(&options))
    return 1;
  return runMode(options);
}
