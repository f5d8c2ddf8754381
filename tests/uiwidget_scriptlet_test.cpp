#include "uiwidget.h"

#include "tempdir.h"
#include "testmemory.h"
#include "widgettest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

Tree makeWidget(const char* widgetName) {
  return Tree(uiWidget::allocWidget(widgetName, "uiNonVisualWidget"));
}

// Every test starts and ends with an empty cache.
class uiWidgetScriptlet : public ::testing::Test {
protected:
  void SetUp() override { uiWidget::s_freeScripletCache(); }
  void TearDown() override { uiWidget::s_freeScripletCache(); }
};

std::vector<std::string> cachedNames() {
  std::vector<std::string> names;
  for (_ScriptletCache_s* entry = uiWidget::s_scriptletCacheHead; entry; entry = entry->next)
    names.push_back(entry->name);
  return names;
}

std::vector<std::string> cachedNamesFromTail() {
  std::vector<std::string> names;
  for (_ScriptletCache_s* entry = uiWidget::s_scriptletCacheTail; entry; entry = entry->prev)
    names.insert(names.begin(), entry->name);
  return names;
}

std::string upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

}  // namespace

TEST_F(uiWidgetScriptlet, LinesApplyAsInTheWidgetsOwnBlock) {
  struct Case {
    const char* text;
    int x, x2, children;
    std::vector<std::string> messages;
  };
  const Case cases[] = {
      {"x = 5\n", 5, 0, 0, {}},
      {"}\nx = 5\n", 100, 0, 0, {}},
      {"{\nx = 5\n}\nx = 6\n", 5, 0, 0, {}},
      {"/*\nx = 1\n*/\nwidth = 10\n", 100, 110, 0, {}},
      {"child c = uiNonVisualWidget\n{\n  x = 3\n}\nx = 7\n", 7, 0, 1, {}},
      {"bogus = 1\n", 100, 0, 0, {"...[w:1] Unknown parameter: ^C00FF00bogus\f"}},
  };
  TempDir dir;
  int index = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    CaptureLog log;
    for (const std::string& message : c.messages)
      log.expect(message);
    Tree widget = makeWidget("w");
    widget->x = 100;
    widget->applyScriptlet(dir.write("case" + std::to_string(index++) + ".scr", c.text).c_str());
    EXPECT_EQ(widget->x, c.x);
    EXPECT_EQ(widget->x2, c.x2);
    EXPECT_EQ(childCount(widget.get()), c.children);
  }
}

TEST_F(uiWidgetScriptlet, LeastRecentlyUsedEntryIsEvicted) {
  TempDir dir;
  std::vector<std::string> files;
  for (int i = 0; i <= uiWidget::MAX_SCRIPTLETS; ++i)
    files.push_back(dir.write("s" + std::to_string(i) + ".scr", "x = " + std::to_string(i) + "\n"));
  Tree widget = makeWidget("w");
  for (int i = 0; i < uiWidget::MAX_SCRIPTLETS; ++i)
    widget->applyScriptlet(files[i].c_str());
  widget->applyScriptlet(files[0].c_str());
  widget->applyScriptlet(files[32].c_str());

  std::vector<std::string> expected = {files[32], files[0]};
  for (int i = uiWidget::MAX_SCRIPTLETS - 1; i >= 2; --i)
    expected.push_back(files[i]);
  EXPECT_EQ(cachedNames(), expected);
  EXPECT_EQ(cachedNamesFromTail(), expected);

  for (const std::string& file : files)
    fs::remove(file);
  CaptureLog log;
  log.expect("uiSubsystem: could not open file: \"^C00FF00" + files[1] + "^c\"\f");
  widget->applyScriptlet(files[1].c_str());
  widget->applyScriptlet(files[0].c_str());
  EXPECT_EQ(widget->x, 0);
  EXPECT_EQ(cachedNames().size(), 31u) << "the miss evicted the tail and cached nothing";
}

TEST_F(uiWidgetScriptlet, TextIsReadOnceFoundWhateverTheCaseAndReadAgainOnceEmptied) {
  TempDir dir;
  std::string file = dir.path("late.scr");
  Tree first = makeWidget("first");
  Tree second = makeWidget("second");
  {
    CaptureLog log;
    log.expect("uiSubsystem: could not open file: \"^C00FF00" + file + "^c\"\f");
    first->applyScriptlet(file.c_str());
    EXPECT_EQ(uiWidget::s_scriptletCacheHead, nullptr) << "a failed open caches nothing";
  }
  dir.write("late.scr", "x = 1\n");
  first->applyScriptlet(file.c_str());
  dir.write("late.scr", "x = 2\n");
  second->applyScriptlet(upper(file).c_str());
  EXPECT_EQ(second->x, 1) << "the cached text, which does not see the file change";
  EXPECT_EQ(cachedNames(), std::vector<std::string> {file});
  uiWidget::s_freeScripletCache();
  EXPECT_EQ(uiWidget::s_scriptletCacheTail, nullptr);
  second->applyScriptlet(file.c_str());
  EXPECT_EQ(second->x, 2);
}

TEST_F(uiWidgetScriptlet, SelfApplyingScriptletStopsAtTheNestingLimit) {
  TempDir dir;
  std::string file = dir.path("self.scr");
  dir.write("self.scr", "#scriptlet " + file + "\nchild c = uiNonVisualWidget\n{\n}\n");
  CaptureLog log;
  log.expect("...scriptlet nesting deeper than 32: \"^C00FF00" + file + "^c\"\f");
  Tree widget = makeWidget("w");
  widget->applyScriptlet(file.c_str());
  EXPECT_EQ(childCount(widget.get()), 32);
}

// Every allocation of an application fails in turn; nothing is left behind, and a text that
// could not be stored is not cached, so the next application reads the file again.
TEST_F(uiWidgetScriptlet, FailedAllocationsLeaveNothingBehind) {
  TempDir dir;
  std::string file = dir.write("kids.scr", "child a = uiNonVisualWidget\n{\n  globalinputfocus = w\n}\n");
  int failing = 1;
  for (;; ++failing) {
    SCOPED_TRACE(failing);
    CaptureLog log;
    FailingMemory memory(failing);
    Tree widget = makeWidget("w");
    if (widget)
      widget->applyScriptlet(file.c_str());
    if (uiWidget::s_scriptletCacheHead) {
      EXPECT_NE(uiWidget::s_scriptletCacheHead->data, nullptr);
    }
    uiWidget::s_freeScripletCache();
    widget.reset();
    EXPECT_EQ(memory.liveCount(0), 0u);
    EXPECT_EQ(memory.liveCount(9), 0u);
    log.clear();  // which message a failure gives depends on where it struck
    if (memory.failures() == 0)
      break;
  }
  EXPECT_GT(failing, 5) << "the application should make more allocations than this";
}

// Two threads churn the cache with more scriptlets than it holds; run under ThreadSanitizer.
TEST_F(uiWidgetScriptlet, ThreadsShareTheCache) {
  TempDir dir;
  std::vector<std::string> files;
  for (int i = 0; i < 40; ++i)
    files.push_back(dir.write("t" + std::to_string(i) + ".scr", "x = " + std::to_string(i) + "\n"));
  auto work = [&files](int* lastX) {
    Tree widget = makeWidget("worker");
    for (int round = 0; round < 3; ++round)
      for (const std::string& file : files)
        widget->applyScriptlet(file.c_str());
    *lastX = widget->x;
  };
  int firstX = -1;
  int secondX = -1;
  std::thread first(work, &firstX);
  std::thread second(work, &secondX);
  first.join();
  second.join();
  EXPECT_EQ(firstX, 39);
  EXPECT_EQ(secondX, 39);
  EXPECT_EQ(cachedNames().size(), 32u);
}
