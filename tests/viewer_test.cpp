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

// A menu of three dialogs in a container that hears keys; the viewer runs in the menu's folder.
const char MENU[] = R"(menu = uiInputHandler
{
    flags = WF_VISIBLE | WF_ACTIVE | WF_INPUT_FOCUS
    child first = uiDialog
    {
        width = 10
    }
    child second = uiDialog
    {
        width = 20
        child field = uiNonVisualWidget
        {
            flags = WF_VISIBLE | WF_ACTIVE | WF_INPUT_FOCUS
        }
    }
    child third = uiDialog
    {
        width = 30
    }
}
)";

class InFolder {
public:
  explicit InFolder(const std::string& folder) : m_previous(fs::current_path()) {
    fs::current_path(folder);
  }
  ~InFolder() { fs::current_path(m_previous); }

private:
  fs::path m_previous;
};

void rewrite(const TempDir& dir, const std::string& name, const std::string& text) {
  std::string file = dir.path(name);
  fs::file_time_type before = fs::last_write_time(file);
  dir.write(name, text);
  fs::last_write_time(file, before + std::chrono::seconds(1));
}

const char* shownName(const Viewer& viewer) {
  uiDialog* dialog = viewer.shownDialog();
  return dialog ? dialog->name : "";
}

std::vector<std::string> printed(const RecordingGfx& gfx) {
  std::vector<std::string> texts;
  for (const std::string& call : gfx.callsOf("printw")) {
    size_t text = call.find("text=");
    texts.push_back(call.substr(text + 6, call.size() - text - 7));
  }
  return texts;
}

}  // namespace

TEST(Viewer, BringsTheNamedDialogsAndThenEachInTurn) {
  TempDir dir;
  dir.write("menu.ui", MENU);
  InFolder folder(dir.path(""));
  CaptureLog log;
  RecordingGfx gfx;
  Viewer viewer("menu.ui", {"menu.second"});
  ASSERT_TRUE(viewer.start());
  viewer.frame(16);
  EXPECT_STREQ(shownName(viewer), "second");
  const char* expected[] = {"third", "first", "second"};
  for (const char* next : expected) {
    SCOPED_TRACE(next);
    viewer.input(UIE_KEYDOWN, 0, 0, Viewer::KEY_NEXT_DIALOG);
    viewer.input(UIE_KEYUP, 0, 0, Viewer::KEY_NEXT_DIALOG);
    viewer.frame(16);
    EXPECT_STREQ(shownName(viewer), next);
  }
}

TEST(Viewer, ARootDialogComesOnScreen) {
  TempDir dir;
  dir.write("box.ui", "box = uiDialog\n{\n  width = 40\n}\n");
  InFolder folder(dir.path(""));
  CaptureLog log;
  RecordingGfx gfx;
  Viewer viewer("box.ui", {});
  ASSERT_TRUE(viewer.start());
  viewer.frame(16);
  EXPECT_STREQ(shownName(viewer), "box");
  EXPECT_TRUE(viewer.live().root()->getVisible());
}

// The viewer's keys are its own; every other event reaches the UI, whose key callback sees it.
TEST(Viewer, KeepsItsKeysFromTheUI) {
  TempDir dir;
  dir.write("menu.ui", MENU);
  InFolder folder(dir.path(""));
  CaptureLog log;
  RecordingGfx gfx;
  gfx.defineFont(FONT, 8, 14);
  Viewer viewer("menu.ui", {});
  ASSERT_TRUE(viewer.start());
  std::vector<int> heard;
  _WidgetMap_s keys {};
  keys.keyDownCb = [](uiWidget*, void* client, int key) {
    static_cast<std::vector<int>*>(client)->push_back(key);
    return true;
  };
  viewer.live().root()->assignCallbacks(&keys, &heard);
  for (int key : {Viewer::KEY_STATISTICS, int('a'), 27}) {
    viewer.input(UIE_KEYDOWN, 0, 0, key);
    viewer.input(UIE_KEYUP, 0, 0, key);
  }
  EXPECT_EQ(heard, (std::vector<int> {'a', 27}));
  ASSERT_NE(g_ui, nullptr);
  EXPECT_TRUE(g_ui->showGfxStatistics);
  EXPECT_EQ(g_ui->statsFont, gfx.fontId(FONT));

  // Reloading makes a new tree, and the statistics stay on.
  uiWidget* before = viewer.live().root();
  viewer.input(UIE_KEYDOWN, 0, 0, Viewer::KEY_RELOAD);
  EXPECT_NE(viewer.live().root(), before);
  EXPECT_TRUE(g_ui->showGfxStatistics);
}

TEST(Viewer, PointerEventsMoveThePlatformCursor) {
  TempDir dir;
  dir.write("menu.ui", MENU);
  InFolder folder(dir.path(""));
  CaptureLog log;
  RecordingGfx gfx;
  Viewer viewer("menu.ui", {});
  ASSERT_TRUE(viewer.start());
  struct Step {
    e_uiEvent event;
    int x, y;
  };
  const Step steps[] = {{UIE_MOUSEMOVE, 5, 6}, {UIE_MOUSEDOWN, 7, 8}, {UIE_MOUSEUP, 9, 10}};
  for (const Step& step : steps) {
    viewer.input(step.event, step.x, step.y, 0);
    int x = 0, y = 0;
    Platform::GetCursorPos(x, y);
    EXPECT_EQ(x, step.x);
    EXPECT_EQ(y, step.y);
  }
}

// A broken edit keeps the tree and shows the problems; mending it installs the new tree in a new
// UI manager, with the named dialog on screen again.
TEST(Viewer, ShowsProblemsOverTheLastGoodTree) {
  TempDir dir;
  dir.write("menu.ui", MENU);
  InFolder folder(dir.path(""));
  CaptureLog log;
  RecordingGfx gfx;
  gfx.defineFont(FONT, 8, 14);
  Viewer viewer("menu.ui", {"menu.third"});
  ASSERT_TRUE(viewer.start());
  uiWidget* first = viewer.live().root();

  rewrite(dir, "menu.ui", "menu = uiNonVisualWidget\n{\n  colour = red\n}\n");
  gfx.clearCalls();
  EXPECT_TRUE(viewer.frame(LiveTree::CHECK_INTERVAL));
  EXPECT_EQ(viewer.live().root(), first);
  EXPECT_EQ(printed(gfx),
            (std::vector<std::string> {
                "Loading menu.ui: 1 problem; the last tree that loaded without problems stays",
                "Loading menu.ui: 1 problem; the last tree that loaded without problems stays",
                "menu.ui:3: ...[menu:3] Unknown parameter: colour",
                "menu.ui:3: ...[menu:3] Unknown parameter: colour",
            }));

  rewrite(dir, "menu.ui", std::string(MENU) + "\n");
  gfx.clearCalls();
  EXPECT_TRUE(viewer.frame(LiveTree::CHECK_INTERVAL));
  EXPECT_TRUE(printed(gfx).empty());
  EXPECT_NE(viewer.live().root(), first);
  EXPECT_EQ(g_ui->getTopLevelWidget(), viewer.live().root());
  viewer.frame(16);
  EXPECT_STREQ(shownName(viewer), "third");
}
