#include "viewer.h"

#include "capturelog.h"
#include "recordinggfx.h"
#include "tempdir.h"
#include "uidialog.h"
#include "uisubsystem.h"

#include "core.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const char FONT[] = "DejaVuSansMono:14";

// A menu of three dialogs in a container that hears keys.
const char MENU[] = R"(menu = uiInputHandler
{
    flags = WF_VISIBLE | WF_ACTIVE | WF_INPUT_FOCUS
    child first = uiDialog
    {
    }
    child second = uiDialog
    {
    }
    child third = uiDialog
    {
    }
}
)";

// The viewer runs in the menu's folder, with a recording backend that knows its font.
struct Stage {
  Stage() : previous(fs::current_path()) {
    dir.write("menu.ui", MENU);
    fs::current_path(dir.folder());
    gfx.defineFont(FONT, 8, 14);
  }
  ~Stage() { fs::current_path(previous); }
  void rewrite(const std::string& text) {
    fs::file_time_type before = fs::last_write_time("menu.ui");
    dir.write("menu.ui", text);
    fs::last_write_time("menu.ui", before + std::chrono::seconds(1));
  }
  std::string shown(const Viewer& viewer) {
    uiDialog* dialog = viewer.shownDialog();
    return dialog ? dialog->name : "";
  }

  TempDir dir;
  fs::path previous;
  CaptureLog log;
  RecordingGfx gfx;
};

}  // namespace

// The viewer's keys are its own; every other event reaches the UI, whose key callback sees it.
TEST(Viewer, KeepsItsKeysFromTheUI) {
  Stage stage;
  Viewer viewer("menu.ui", {});
  ASSERT_TRUE(viewer.start());
  std::vector<int> heard;
  _WidgetMap_s keys {};
  keys.keyDownCb = [](uiWidget*, void* client, int key) {
    static_cast<std::vector<int>*>(client)->push_back(key);
    return true;
  };
  viewer.live().root()->assignCallbacks(&keys, &heard);
  for (int key : {Viewer::KEY_STATISTICS, int('a'), 27, Viewer::KEY_NEXT_DIALOG}) {
    viewer.input(UIE_KEYDOWN, 0, 0, key);
    viewer.input(UIE_KEYUP, 0, 0, key);
  }
  EXPECT_EQ(heard, (std::vector<int> {'a', 27}));
  EXPECT_TRUE(g_ui->showGfxStatistics);
  EXPECT_EQ(g_ui->statsFont, stage.gfx.fontId(FONT));
  viewer.frame(16);
  EXPECT_EQ(stage.shown(viewer), "first");  // the dialogs come in the order of the file
  for (const char* next : {"second", "third", "first"}) {
    viewer.input(UIE_KEYDOWN, 0, 0, Viewer::KEY_NEXT_DIALOG);
    viewer.frame(16);
    EXPECT_EQ(stage.shown(viewer), next);
  }

  viewer.input(UIE_MOUSEMOVE, 7, 8, 0);
  int x = 0, y = 0;
  Platform::GetCursorPos(x, y);
  EXPECT_EQ(x * 100 + y, 708);

  // Reloading makes a new tree, and the statistics stay on.
  uiWidget* before = viewer.live().root();
  viewer.input(UIE_KEYDOWN, 0, 0, Viewer::KEY_RELOAD);
  EXPECT_NE(viewer.live().root(), before);
  EXPECT_TRUE(g_ui->showGfxStatistics);
}

// A broken edit keeps the tree and shows the problems; mending it installs the new tree in a new
// UI manager, with the named dialog on screen again.
TEST(Viewer, ShowsProblemsOverTheLastGoodTree) {
  Stage stage;
  Viewer viewer("menu.ui", {"menu.third"});
  ASSERT_TRUE(viewer.start());
  uiWidget* first = viewer.live().root();

  stage.rewrite("menu = uiNonVisualWidget\n{\n  colour = red\n}\n");
  stage.gfx.clearCalls();
  EXPECT_TRUE(viewer.frame(LiveTree::CHECK_INTERVAL));
  EXPECT_EQ(viewer.live().root(), first);
  std::vector<std::string> printed = stage.gfx.callsOf("printw");
  ASSERT_EQ(printed.size(), 4u);  // each line with its shadow
  EXPECT_NE(printed[0].find("text=\"Loading menu.ui: 1 problem; the last tree that loaded "
                            "without problems stays\""), std::string::npos);
  EXPECT_NE(printed[2].find("text=\"menu.ui:3: ...[menu:3] Unknown parameter: colour\""),
            std::string::npos);

  stage.rewrite(std::string(MENU) + "\n");
  stage.gfx.clearCalls();
  EXPECT_TRUE(viewer.frame(LiveTree::CHECK_INTERVAL));
  EXPECT_TRUE(stage.gfx.callsOf("printw").empty());
  EXPECT_NE(viewer.live().root(), first);
  EXPECT_EQ(g_ui->getTopLevelWidget(), viewer.live().root());
  viewer.frame(16);
  EXPECT_EQ(stage.shown(viewer), "third");
}
