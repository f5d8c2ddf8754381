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

// The menu applies a scriptlet and includes a part that is missing at first; then the part is
// written, the scriptlet changed (the library caches scriptlet texts), the part broken and
// mended. A tree replaces the one in place only when its load had no problem; the host hears each
// new root, and every tree is freed.
TEST(LiveTree, ReloadsWhenAWatchedFileChanges) {
  TempDir dir;
  std::string part = dir.path("part.ui");
  std::string look = dir.write("look.txt", "y = 1\n");
  std::string menu = dir.write("menu.ui", "menu = uiNonVisualWidget\n{\n  #scriptlet " + look +
                                              "\n  child #" + part + "\n}\n");
  size_t widgets = g_MemoryPtr->liveCount(9);
  CaptureLog log;
  {
    std::vector<uiWidget*> swapped;
    LiveTree live(menu, [](uiWidget* root, void* client) {
      static_cast<std::vector<uiWidget*>*>(client)->push_back(root);
    }, &swapped);
    ASSERT_TRUE(live.load());
    EXPECT_EQ(live.problems().size(), 2u);
    EXPECT_EQ(live.watchedFiles(), (std::vector<std::string> {menu, look, part}));
    struct Step {
      const char* file;
      std::string text;
      bool replaced;
      std::string tree;  // the child's x and the root's y
      std::vector<std::string> problems;
    } steps[] = {
        {"part.ui", "part = uiNonVisualWidget\n{\n  x = 2\n}\n", true, "2 1", {}},
        {"look.txt", "y = 9\n", true, "2 9", {}},
        {"part.ui", "part = uiNonVisualWidget\n{\n  wdth = 4\n}\n", false, "2 9",
         {part + ":3: ...[part:3] Unknown parameter: wdth"}},
        {"part.ui", "part = uiNonVisualWidget\n{\n  x = 5\n}\n", true, "5 9", {}},
    };
    for (const Step& step : steps) {
      SCOPED_TRACE(step.text);
      // A later time, so that the change shows within one tick of the file clock.
      std::filesystem::path file = dir.path(step.file);
      auto before = std::filesystem::exists(file) ? std::filesystem::last_write_time(file)
                                                  : std::filesystem::file_time_type();
      dir.write(step.file, step.text);
      std::filesystem::last_write_time(file, before + std::chrono::seconds(1));
      size_t heard = swapped.size();
      EXPECT_FALSE(live.update(LiveTree::CHECK_INTERVAL - 1));  // twice a second
      EXPECT_TRUE(live.update(1));
      EXPECT_EQ(swapped.size(), heard + step.replaced);
      EXPECT_EQ(swapped.back(), live.root());
      uiWidget* root = live.root();
      EXPECT_EQ(std::to_string(root->children->widget->x) + " " + std::to_string(root->y),
                step.tree);
      std::vector<std::string> problems;
      for (const LoadProblem& problem : live.problems())
        problems.push_back(formatProblem(problem));
      EXPECT_EQ(problems, step.problems);
    }
    EXPECT_FALSE(live.update(LiveTree::CHECK_INTERVAL));  // nothing changed
  }
  uiWidget::s_freeScripletCache();
  EXPECT_EQ(g_MemoryPtr->liveCount(9), widgets);
}
