#include "viewer.h"

#include "capturelog.h"
#include "recordinggfx.h"
#include "tempdir.h"
#include "uidialog.h"
#include "uisubsystem.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

// A menu of two dialogs, the second named to be shown, in a folder the viewer works in. The
// viewer's keys are its own; every other event reaches the UI. A broken edit keeps the tree and
// lists the problems over it; mending it installs the new tree in a new UI manager, and the named
// dialog comes on screen again.
TEST(Viewer, KeepsItsKeysAndShowsProblemsOverTheLastGoodTree) {
  const std::string menu = "menu = uiInputHandler\n{\n  flags = WF_VISIBLE | WF_ACTIVE | "
                           "WF_INPUT_FOCUS\n  child first = uiDialog\n  {\n  }\n  child second = "
                           "uiDialog\n  {\n  }\n}\n";
  TempDir dir;
  dir.write("menu.ui", menu);
  fs::path previous = fs::current_path();
  fs::current_path(dir.folder());
  CaptureLog log;
  RecordingGfx gfx;
  gfx.defineFont("DejaVuSansMono:14", 8, 14);
  {
    Viewer viewer("menu.ui", {"menu.second"});
    ASSERT_TRUE(viewer.start());
    viewer.frame(16);
    std::vector<int> heard;
    _WidgetMap_s keys {};
    keys.keyDownCb = [](uiWidget*, void* client, int key) {
      static_cast<std::vector<int>*>(client)->push_back(key);
      return true;
    };
    viewer.shownDialog()->assignCallbacks(&keys, &heard);
    for (int key : {Viewer::KEY_STATISTICS, int('a'), 27, Viewer::KEY_NEXT_DIALOG}) {
      viewer.input(UIE_KEYDOWN, 0, 0, key);
      viewer.input(UIE_KEYUP, 0, 0, key);
    }
    viewer.frame(16);
    EXPECT_EQ(heard, (std::vector<int> {'a', 27}));
    EXPECT_TRUE(g_ui->showGfxStatistics);
    EXPECT_STREQ(viewer.shownDialog()->name, "first");  // the next in the file, round again

    uiWidget* first = viewer.live().root();
    // The texts printed by a frame that looks at the rewritten file.
    auto rewrite = [&](const std::string& text) {
      fs::file_time_type before = fs::last_write_time("menu.ui");
      dir.write("menu.ui", text);
      fs::last_write_time("menu.ui", before + std::chrono::seconds(1));
      gfx.clearCalls();
      EXPECT_TRUE(viewer.frame(LiveTree::CHECK_INTERVAL));
      std::string printed;
      for (const std::string& call : gfx.callsOf("printw"))
        printed += call.substr(call.find("text=")) + "\n";
      return printed;
    };
    std::string printed = rewrite("menu = uiNonVisualWidget\n{\n  colour = red\n}\n");
    EXPECT_EQ(viewer.live().root(), first);
    EXPECT_NE(printed.find("text=\"Loading menu.ui: 1 problem; the last tree that loaded without "
                           "problems stays\"\n"),
              std::string::npos);
    EXPECT_NE(printed.find("text=\"menu.ui:3: ...[menu:3] Unknown parameter: colour\"\n"),
              std::string::npos);

    EXPECT_EQ(rewrite(menu + "\n").find("problem"), std::string::npos);
    EXPECT_NE(viewer.live().root(), first);
    EXPECT_EQ(g_ui->getTopLevelWidget(), viewer.live().root());
    EXPECT_TRUE(g_ui->showGfxStatistics);
    viewer.frame(16);
    EXPECT_STREQ(viewer.shownDialog()->name, "second");
  }
  fs::current_path(previous);
}
