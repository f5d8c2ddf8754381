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

// The menu includes a part that is rewritten, broken and mended. A tree replaces the one in place
// only when its load had no problem; the host hears each new root, and every tree is freed.
TEST(LiveTree, ReloadsWhenAnIncludedFileChanges) {
  TempDir dir;
  std::string part = dir.write("part.ui", "part = uiNonVisualWidget\n{\n}\n");
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
    struct Step {
      const char* text;
      bool replaced;
      int x;  // of the part in place
      std::vector<std::string> problems;
    } steps[] = {
        {"part = uiNonVisualWidget\n{\n  x = 2\n}\n", true, 2, {}},
        {"part = uiNonVisualWidget\n{\n  wdth = 4\n}\n", false, 2,
         {part + ":3: ...[part:3] Unknown parameter: wdth"}},
        {"part = uiNonVisualWidget\n{\n  x = 5\n}\n", true, 5, {}},
    };
    for (const Step& step : steps) {
      SCOPED_TRACE(step.text);
      // A later time, so that the change shows within one tick of the file clock.
      auto before = std::filesystem::last_write_time(part);
      dir.write("part.ui", step.text);
      std::filesystem::last_write_time(part, before + std::chrono::seconds(1));
      size_t heard = swapped.size();
      EXPECT_FALSE(live.update(LiveTree::CHECK_INTERVAL - 1));  // twice a second
      EXPECT_TRUE(live.update(1));
      EXPECT_EQ(swapped.size(), heard + step.replaced);
      EXPECT_EQ(swapped.back(), live.root());
      EXPECT_EQ(live.root()->children->widget->x, step.x);
      std::vector<std::string> problems;
      for (const LoadProblem& problem : live.problems())
        problems.push_back(formatProblem(problem));
      EXPECT_EQ(problems, step.problems);
    }
    EXPECT_FALSE(live.update(LiveTree::CHECK_INTERVAL));  // nothing changed
  }
  EXPECT_EQ(g_MemoryPtr->liveCount(9), widgets);
}
