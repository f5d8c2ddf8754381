#include "livetree.h"

#include "capturelog.h"
#include "tempdir.h"
#include "uiwidget.h"

#include "core.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Rewrites a file and moves its time on, so that the change shows even when the new text has the
// same length and the write falls within the same tick of the file clock.
void rewrite(const TempDir& dir, const std::string& name, const std::string& text) {
  std::string file = dir.path(name);
  fs::file_time_type before = fs::exists(file) ? fs::last_write_time(file) : fs::file_time_type();
  dir.write(name, text);
  fs::last_write_time(file, before + std::chrono::seconds(1));
}

std::string panel(int x) {
  return "part = uiNonVisualWidget\n{\n  x = " + std::to_string(x) + "\n}\n";
}

int childX(const uiWidget* root) {
  return root && root->children ? root->children->widget->x : -1;
}

}  // namespace

// The include is missing at first, then written, broken and mended. A tree replaces the one in
// place only when its load had no problem; the host hears each new root, and every tree is freed.
TEST(LiveTree, ReloadsWhenAnIncludedFileChanges) {
  TempDir dir;
  std::string part = dir.path("part.ui");
  std::string menu =
      dir.write("menu.ui", "menu = uiNonVisualWidget\n{\n  child #" + part + "\n}\n");
  size_t widgets = g_MemoryPtr->liveCount(9);
  CaptureLog log;
  {
    std::vector<uiWidget*> swapped;
    LiveTree live(menu, [](uiWidget* root, void* client) {
      static_cast<std::vector<uiWidget*>*>(client)->push_back(root);
    }, &swapped);
    ASSERT_TRUE(live.load());
    EXPECT_EQ(live.problems().size(), 2u);
    EXPECT_EQ(live.watchedFiles(), (std::vector<std::string> {menu, part}));
    struct Step {
      std::string text;
      bool replaced;
      int x;  // of the child of the tree in place
      std::vector<std::string> problems;
    } steps[] = {
        {panel(2), true, 2, {}},
        {"part = uiNonVisualWidget\n{\n  wdth = 4\n}\n", false, 2,
         {part + ":3: ...[part:3] Unknown parameter: wdth"}},
        {panel(5), true, 5, {}},
    };
    for (const Step& step : steps) {
      SCOPED_TRACE(step.text);
      rewrite(dir, "part.ui", step.text);
      size_t heard = swapped.size();
      EXPECT_FALSE(live.update(LiveTree::CHECK_INTERVAL - 1));  // twice a second
      EXPECT_TRUE(live.update(1));
      EXPECT_EQ(swapped.size(), heard + step.replaced);
      EXPECT_EQ(live.lastLoadFailed(), !step.replaced);
      EXPECT_EQ(swapped.back(), live.root());
      EXPECT_EQ(childX(live.root()), step.x);
      std::vector<std::string> problems;
      for (const LoadProblem& problem : live.problems())
        problems.push_back(formatProblem(problem));
      EXPECT_EQ(problems, step.problems);
    }
    EXPECT_FALSE(live.update(LiveTree::CHECK_INTERVAL));  // nothing changed
  }
  EXPECT_EQ(g_MemoryPtr->liveCount(9), widgets);
}

// The library caches scriptlet texts; a changed scriptlet must still be read again.
TEST(LiveTree, ReloadsAChangedScriptlet) {
  TempDir dir;
  std::string look = dir.write("look.txt", "x = 1\n");
  std::string menu =
      dir.write("menu.ui", "menu = uiNonVisualWidget\n{\n  #scriptlet " + look + "\n}\n");
  CaptureLog log;
  LiveTree live(menu);
  ASSERT_TRUE(live.load());
  rewrite(dir, "look.txt", "x = 9\n");
  EXPECT_TRUE(live.update(LiveTree::CHECK_INTERVAL));
  EXPECT_EQ(live.root()->x, 9);
}
