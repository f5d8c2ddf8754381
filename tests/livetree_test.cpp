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

// Counts the trees a LiveTree hands over and remembers the last.
struct SwapWatch {
  int swaps = 0;
  uiWidget* root = nullptr;
  static void swapped(uiWidget* root, void* client) {
    auto* watch = static_cast<SwapWatch*>(client);
    ++watch->swaps;
    watch->root = root;
  }
};

int childX(const uiWidget* root) {
  return root && root->children ? root->children->widget->x : -1;
}

}  // namespace

// Rows: the include is rewritten, then broken, then mended; each row runs the next check.
TEST(LiveTree, ReloadsWhenAnIncludedFileChanges) {
  TempDir dir;
  dir.write("part.ui", panel(1));
  std::string menu = dir.write("menu.ui", "menu = uiNonVisualWidget\n{\n  child #" +
                                              dir.path("part.ui") + "\n}\n");
  CaptureLog log;
  SwapWatch watch;
  LiveTree live(menu, &SwapWatch::swapped, &watch);
  ASSERT_TRUE(live.load());
  EXPECT_EQ(live.watchedFiles(), (std::vector<std::string> {menu, dir.path("part.ui")}));

  struct Step {
    std::string text;
    bool replaced;
    int x;  // of the child of the tree in place
    std::vector<std::string> problems;
  };
  const Step steps[] = {
      {panel(2), true, 2, {}},
      {"part = uiNonVisualWidget\n{\n  x = 3\n  wdth = 4\n}\n", false, 2,
       {dir.path("part.ui") + ":4: ...[part:4] Unknown parameter: wdth"}},
      {panel(5), true, 5, {}},
  };
  int swaps = 1;
  for (const Step& step : steps) {
    SCOPED_TRACE(step.text);
    rewrite(dir, "part.ui", step.text);
    uiWidget* before = live.root();
    EXPECT_TRUE(live.filesChanged());
    EXPECT_TRUE(live.update(LiveTree::CHECK_INTERVAL));
    swaps += step.replaced ? 1 : 0;
    EXPECT_EQ(watch.swaps, swaps);
    EXPECT_EQ(live.lastLoadFailed(), !step.replaced);
    EXPECT_EQ(live.root() != before, step.replaced);
    EXPECT_EQ(watch.root, live.root());
    EXPECT_EQ(childX(live.root()), step.x);
    std::vector<std::string> problems;
    for (const LoadProblem& problem : live.problems())
      problems.push_back(formatProblem(problem));
    EXPECT_EQ(problems, step.problems);
  }
}

TEST(LiveTree, LooksAtTheFilesTwiceASecond) {
  TempDir dir;
  std::string menu = dir.write("menu.ui", panel(1));
  CaptureLog log;
  LiveTree live(menu);
  ASSERT_TRUE(live.load());
  EXPECT_FALSE(live.update(LiveTree::CHECK_INTERVAL));  // nothing changed
  rewrite(dir, "menu.ui", panel(7));
  EXPECT_FALSE(live.update(LiveTree::CHECK_INTERVAL - 1));
  EXPECT_TRUE(live.update(1));
  EXPECT_EQ(live.root()->x, 7);
  EXPECT_FALSE(live.update(LiveTree::CHECK_INTERVAL));
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
  EXPECT_EQ(live.root()->x, 1);
  rewrite(dir, "look.txt", "x = 9\n");
  EXPECT_TRUE(live.update(LiveTree::CHECK_INTERVAL));
  EXPECT_EQ(live.root()->x, 9);
}

// A first load shows whatever tree it gets; creating the missing include then counts as a change.
TEST(LiveTree, WatchesAnIncludeThatDoesNotExistYet) {
  TempDir dir;
  std::string part = dir.path("part.ui");
  std::string menu =
      dir.write("menu.ui", "menu = uiNonVisualWidget\n{\n  child #" + part + "\n}\n");
  CaptureLog log;
  LiveTree live(menu);
  ASSERT_TRUE(live.load());
  EXPECT_EQ(live.problems().size(), 2u);
  EXPECT_EQ(childX(live.root()), -1);
  rewrite(dir, "part.ui", panel(4));
  EXPECT_TRUE(live.update(LiveTree::CHECK_INTERVAL));
  EXPECT_TRUE(live.problems().empty());
  EXPECT_EQ(childX(live.root()), 4);
}

TEST(LiveTree, FreesEveryTree) {
  TempDir dir;
  std::string menu = dir.write("menu.ui", panel(1));
  size_t widgets = g_MemoryPtr->liveCount(9);
  CaptureLog log;
  {
    LiveTree live(menu);
    live.load();
    rewrite(dir, "menu.ui", panel(2));
    live.update(LiveTree::CHECK_INTERVAL);
    rewrite(dir, "menu.ui", "menu = uiNoSuchType\n");
    live.update(LiveTree::CHECK_INTERVAL);
    EXPECT_TRUE(live.lastLoadFailed());
    EXPECT_EQ(live.root()->x, 2);
  }
  EXPECT_EQ(g_MemoryPtr->liveCount(9), widgets);
}
