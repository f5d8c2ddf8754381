#include "fuzzsupport.h"

#include "uidialog.h"
#include "uisubsystem.h"

#include <filesystem>
#include <fstream>
#include <sched.h>
#include <string>

// Loads a UI definition from arbitrary bytes and runs frames and input over the tree. Lines "%%"
// split the input into the files "0" to "3" of a private directory, so that includes ("#1") and
// scriptlets ("#scriptlet 2") reach other parts of the input or files that do not exist. A
// dialog at the root is pushed and popped again.

// The loader yields the processor at every header it looks for. Here it runs on one thread, where
// a yield only hands the processor to other programs, so that a busy machine does not make
// every run slow: this definition takes the C library's place.
extern "C" int sched_yield() noexcept {
  return 0;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::string dir = (std::filesystem::temp_directory_path() / "uifuzz-XXXXXX").string();
  if (!mkdtemp(dir.data()))
    std::abort();
  std::filesystem::current_path(dir);
  static std::string s_dir = dir;
  std::atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(s_dir, ignored);
  });
  static FuzzGfx gfx;
  g_gfx = &gfx;
  fuzzSilenceLog();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> files;
  for (size_t start = 0, end = 0; end != std::string::npos; start = end + 4) {
    end = input.find("\n%%\n", start);
    files.push_back(input.substr(start, end - start));
  }
  for (size_t file = 0; file < 4; ++file) {
    if (file < files.size())
      std::ofstream(std::to_string(file), std::ios::binary) << files[file];
    else
      std::filesystem::remove(std::to_string(file));
  }
  FuzzMemoryBalance balance;
  {
    uiSubsystem ui;
    ui.initialize(nullptr);
    uiWidget* root = ui.loadUI("0");
    ui.setTopLevelWidget(root);
    if (root)
      root->setWidgetStates(true, true, true, true);
    uiDialog* dialog = root && root->isType("uiDialog") ? static_cast<uiDialog*>(root) : nullptr;
    if (dialog)
      ui.pushDialog(dialog, true);
    for (int step = 0; root && step < 48; ++step) {
      if (dialog && step == 24)
        ui.popDialog(dialog, true);
      static const e_uiEvent events[] = {UIE_MOUSEMOVE, UIE_MOUSEDOWN, UIE_MOUSEUP, UIE_KEYDOWN,
                                         UIE_CHAR, UIE_KEYUP};
      static const int keys[] = {UIK_TAB, 'a', UIK_ENTER, UIK_ERASE, UIK_SHIFT, 0xE9};
      ui.inputEvent(events[step % 6], step * 13 % 300, step * 7 % 200, keys[step / 6 % 6]);
      ui.render(step * 5);
    }
    ui.setTopLevelWidget(nullptr);
    ui.clearPendingDialogs();
    ui.shutdown();
    delete root;
  }
  balance.check();
  return 0;
}
