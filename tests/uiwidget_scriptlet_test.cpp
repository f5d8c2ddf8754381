#include "uiwidget.h"

#include "tempdir.h"
#include "testmemory.h"
#include "widgettest.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace {

Tree makeWidget(const char* widgetName) {
  return Tree(uiWidget::allocWidget(widgetName, "uiNonVisualWidget"));
}

// Every test starts and ends with an empty cache.
class uiWidgetScriptlet : public ::testing::Test {
protected:
  void SetUp() override { uiWidget::s_freeScripletCache(); }
  void TearDown() override { uiWidget::s_freeScripletCache(); }
};

// The cache from its head, checked against the walk back from its tail.
std::vector<std::string> cachedNames() {
  std::vector<std::string> names, fromTail;
  for (_ScriptletCache_s* entry = uiWidget::s_scriptletCacheHead; entry; entry = entry->next)
    names.push_back(entry->name);
  for (_ScriptletCache_s* entry = uiWidget::s_scriptletCacheTail; entry; entry = entry->prev)
    fromTail.insert(fromTail.begin(), entry->name);
  EXPECT_EQ(names, fromTail);
  return names;
}

}  // namespace

// A name is found whatever its case; the cached text does not see the file change until the
// cache is emptied; the least recently used entry is evicted; a failed open caches nothing.
TEST_F(uiWidgetScriptlet, CacheKeepsTheMostRecentlyUsedTexts) {
  TempDir dir;
  std::vector<std::string> files;
  for (int i = 0; i <= uiWidget::MAX_SCRIPTLETS; ++i)
    files.push_back(dir.write("s" + std::to_string(i) + ".scr", "x = " + std::to_string(i) + "\n"));
  Tree widget = makeWidget("w");
  widget->applyScriptlet(files[0].c_str());
  dir.write("s0.scr", "x = 99\n");
  std::string upper = files[0];
  for (char& c : upper)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  widget->applyScriptlet(upper.c_str());
  EXPECT_EQ(widget->x, 0);
  for (int i = 1; i < uiWidget::MAX_SCRIPTLETS; ++i)
    widget->applyScriptlet(files[i].c_str());
  widget->applyScriptlet(files[0].c_str());
  widget->applyScriptlet(files[32].c_str());
  std::vector<std::string> expected = {files[32], files[0]};
  for (int i = uiWidget::MAX_SCRIPTLETS - 1; i >= 2; --i)
    expected.push_back(files[i]);
  EXPECT_EQ(cachedNames(), expected);
  CaptureLog log;
  log.expect("uiSubsystem: could not open file: \"^C00FF00" + files[1] + "^c\"\f");
  std::filesystem::remove(files[1]);
  widget->applyScriptlet(files[1].c_str());
  EXPECT_EQ(cachedNames().size(), 31u) << "the miss evicted the tail and cached nothing";
  uiWidget::s_freeScripletCache();
  widget->applyScriptlet(files[0].c_str());
  EXPECT_EQ(widget->x, 99);
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
  std::string file =
      dir.write("kids.scr", "child a = uiNonVisualWidget\n{\n  globalinputfocus = w\n}\n");
  int failing = 1;
  for (;; ++failing) {
    SCOPED_TRACE(failing);
    CaptureLog log;
    FailingMemory memory(failing);
    Tree widget = makeWidget("w");
    if (widget)
      widget->applyScriptlet(file.c_str());
    EXPECT_TRUE(!uiWidget::s_scriptletCacheHead || uiWidget::s_scriptletCacheHead->data);
    uiWidget::s_freeScripletCache();
    widget.reset();
    EXPECT_EQ(memory.liveCount(0) + memory.liveCount(9), 0u);
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
  int firstX = -1, secondX = -1;
  std::thread first(work, &firstX), second(work, &secondX);
  first.join();
  second.join();
  EXPECT_EQ(firstX + secondX, 78);
  EXPECT_EQ(cachedNames().size(), 32u);
}
