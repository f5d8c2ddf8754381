#include "uidialog.h"
#include "uidigitalbanner.h"
#include "uisubsystem.h"

#include "capturelog.h"
#include "recordinggfx.h"
#include "recordingsound.h"
#include "tempdir.h"
#include "testmemory.h"

#include "core.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

namespace {

namespace fs = std::filesystem;

// Fails allocations like FailingMemory and remembers where the first failed one was asked for.
class SiteFailingMemory : public FailingMemory {
public:
  SiteFailingMemory(long n, bool andAfter) : FailingMemory(n, andAfter), m_failAt(n) {}
  void* alloc(int tag, size_t size, const char* file, unsigned int line) override {
    if (++m_calls == m_failAt)
      site = std::string(file ? file : "?") + ":" + std::to_string(line);
    return FailingMemory::alloc(tag, size, file, line);
  }

  std::string site;

private:
  long m_failAt;
  long m_calls = 0;
};

void collectTree(uiWidget* widget, std::set<uiWidget*>& tree) {
  tree.insert(widget);
  for (_WidgetList_s* node = widget->getChildren(); node; node = node->next)
    collectTree(node->widget, tree);
}

// A widget left out of the tree after a failure is deleted; no dialog may keep it in its tab order.
void expectTabOrdersInTree(uiWidget* root) {
  std::set<uiWidget*> tree;
  collectTree(root, tree);
  for (uiWidget* widget : tree) {
    if (!widget->isType("uiDialog"))
      continue;
    for (uiDialog::TabNode* node = static_cast<uiDialog*>(widget)->tabHead; node; node = node->next)
      EXPECT_TRUE(tree.count(node->widget)) << "a tab entry of " << widget->name << " is gone";
  }
}

// A whole session with the menu: load it, queue a banner message, bring the dialog on screen,
// click, tab, type and press keys over a run of frames, take it off again and delete the tree.
void runMenu(uiSubsystem& ui) {
  uiWidget* menu = ui.loadUI("rich_menu.ui");
  if (!menu)
    return;
  expectTabOrdersInTree(menu);
  ui.setTopLevelWidget(menu);
  if (uiWidget* ticker = menu->getWidget("menu.ticker", 1))
    static_cast<uiDigitalBanner*>(ticker)->print(1, "^P|LEFT;0;40|Welcome;60|FLASH;2;0;40|^p");
  if (menu->isType("uiDialog"))
    ui.pushDialog(static_cast<uiDialog*>(menu), true);
  struct Input {
    e_uiEvent event;
    int x, y, key;
  };
  const Input script[] = {
      {UIE_MOUSEMOVE, 120, 110, 0}, {UIE_MOUSEDOWN, 120, 110, 0}, {UIE_MOUSEUP, 120, 110, 0},
      {UIE_MOUSEDOWN, 150, 310, 0}, {UIE_MOUSEUP, 150, 310, 0},   {UIE_CHAR, 0, 0, 'a'},
      {UIE_MOUSEDOWN, 105, 255, 0}, {UIE_MOUSEMOVE, 200, 255, 0}, {UIE_MOUSEUP, 200, 255, 0},
      {UIE_MOUSEDOWN, 110, 210, 0}, {UIE_MOUSEUP, 110, 210, 0},
      {UIE_KEYDOWN, 0, 0, UIK_TAB}, {UIE_KEYUP, 0, 0, UIK_TAB},   {UIE_CHAR, 0, 0, 'z'},
      {UIE_CHAR, 0, 0, UIK_ERASE},  {UIE_KEYDOWN, 0, 0, 27},      {UIE_KEYUP, 0, 0, 27},
      {UIE_KEYDOWN, 0, 0, UIK_ENTER}, {UIE_KEYUP, 0, 0, UIK_ENTER}, {UIE_MOUSEMOVE, 5, 5, 0},
  };
  for (const Input& input : script) {
    ui.inputEvent(input.event, input.x, input.y, input.key);
    ui.render(20);
  }
  ui.popDialog(nullptr, true);
  for (int frame = 0; frame < 5; ++frame)
    ui.render(20);
  ui.setTopLevelWidget(nullptr);
  ui.clearPendingDialogs();
  delete menu;
}

}  // namespace

// Runs the session once for every allocation it makes, failing that one. Each run must survive
// the failure, log it, and give back every block once the tree is deleted and the UI manager shut
// down.
TEST(AllocFailure, EveryAllocationOfARichMenuIsSurvived) {
  WorkingDirectory data(UI_TEST_DATA);
  RecordingGfx gfx;
  gfx.defineSprite("menu_sprite", 64, 32, 4, 4);
  gfx.defineSprite("mask", 32, 32);
  gfx.defineFont("menu_font", 8, 12);
  gfx.defineParticleSystem("sparks");
  RecordingSound sound;
  uiSubsystem ui;
  ui.initialize(nullptr);

  long allocations = 0;
  {
    CaptureLog log;
    CountingMemory memory;
    runMenu(ui);
    ui.shutdown();
    allocations = memory.allocCalls();
    EXPECT_EQ(memory.liveCount(0), 0u);
    EXPECT_EQ(memory.liveCount(9), 0u);
  }
  ASSERT_GT(allocations, 40) << "the session should allocate more than this";

  // Each allocation fails alone, and then with every one after it: memory that has run out
  // stays out while the session cleans up.
  std::set<std::string> sites;
  for (bool andAfter : {false, true}) {
    for (long failing = 1; failing <= allocations; ++failing) {
      SCOPED_TRACE("failing allocation " + std::to_string(failing) + (andAfter ? " and on" : ""));
      CaptureLog log;
      SiteFailingMemory memory(failing, andAfter);
      runMenu(ui);
      ui.shutdown();
      SCOPED_TRACE("at " + memory.site);
      EXPECT_GE(memory.failures(), 1);
      EXPECT_EQ(memory.liveCount(0), 0u);
      EXPECT_EQ(memory.liveCount(9), 0u);
      EXPECT_FALSE(log.messages().empty()) << "the failure was not logged";
      log.clear();  // which messages follow depends on where the failure struck
      sites.insert(memory.site);
    }
  }
  RecordProperty("allocations", static_cast<int>(allocations));
  RecordProperty("sites", static_cast<int>(sites.size()));
}
