#include "uiloadbudget.h"

#include "capturelog.h"
#include "tempdir.h"
#include "uiwidget.h"

#include "core.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

namespace {

struct DeleteWidget {
  void operator()(uiWidget* widget) const { delete widget; }
};
using Tree = std::unique_ptr<uiWidget, DeleteWidget>;

int subtreeSize(const uiWidget* widget) {
  int size = 1;
  for (const _WidgetList_s* node = widget->getChildren(); node; node = node->next)
    size += subtreeSize(node->widget);
  return size;
}

}  // namespace

// A file or scriptlet that pulls itself in twice on every level would read 2^32 files before the
// nesting limits stop it; the budget ends the load after MAX_FILES, and the next load starts anew.
TEST(uiLoadBudget, SelfDoublingFilesStopAtTheBudget) {
  TempDir dir;
  std::string file = dir.path("twice.ui");
  dir.write("twice.ui", "twice = uiNonVisualWidget\n{\n  child #" + file + "\n  child #" + file +
                            "\n}\n");
  std::string scriptlet = dir.path("twice.scr");
  dir.write("twice.scr", "child c = uiNonVisualWidget\n{\n}\n#scriptlet " + scriptlet +
                             "\n#scriptlet " + scriptlet + "\n");
  const std::string budgetMessage = "...more than 4096 files read for one load: \"^C00FF00";
  size_t transient = g_MemoryPtr->liveCount(0);
  size_t kept = g_MemoryPtr->liveCount(9);
  for (int pass = 0; pass < 2; ++pass) {
    SCOPED_TRACE(pass);
    CaptureLog log;
    Tree root(uiWidget::loadUI(file.c_str(), nullptr));
    ASSERT_TRUE(root);
    EXPECT_EQ(subtreeSize(root.get()), uiLoadBudget::MAX_FILES);
    Tree widget(uiWidget::allocWidget("target", "uiNonVisualWidget"));
    widget->applyScriptlet(scriptlet.c_str());
    EXPECT_EQ(subtreeSize(widget.get()), 1 + uiLoadBudget::MAX_FILES);
    std::vector<std::string> messages = log.messages();
    for (const std::string& refused : {file, scriptlet}) {
      EXPECT_NE(std::find(messages.begin(), messages.end(), budgetMessage + refused + "^c\"\f"),
                messages.end());
    }
    log.clear();
  }
  uiWidget::s_freeScripletCache();
  EXPECT_EQ(g_MemoryPtr->liveCount(0), transient);
  EXPECT_EQ(g_MemoryPtr->liveCount(9), kept);
}
