#include "uidialog.h"

#include "uiparticlesystem.h"
#include "uisubsystem.h"

#include "testmemory.h"
#include "widgettest.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

std::vector<std::string> g_hidden;

void recordHide(uiWidget* dialog, void*) {
  g_hidden.push_back(dialog->name);
}

bool countPress(uiWidget*, void* client, int, int) {
  ++*static_cast<int*>(client);
  return false;
}

// The dialog stack top first, then the focus stack top first ("-" for an entry holding null).
std::string describe(const uiSubsystem& ui) {
  std::string text = "dialogs:";
  for (const uiSubsystem::DialogNode* node = ui.dialogStack; node; node = node->next)
    text += std::string(" ") + node->dialog->name;
  text += " | focus:";
  for (const uiSubsystem::FocusNode* node = ui.focusStack; node; node = node->next)
    text += std::string(" ") + (node->widget ? node->widget->name : "-");
  return text;
}

// One step of a dialog stack timeline: what the game does, then how many frames run, then what
// the stacks hold and which dialogs were hidden during those frames.
struct Step {
  const char* what;
  std::function<void()> act;
  int frames;
  const char* stacks;
  std::vector<std::string> hidden;
};

// Three plain dialogs A, B and C that record when they are hidden, and the UI manager that stacks
// them.
struct Stage : WidgetStage {
  Stage() {
    for (uiDialog* dialog : {&a, &b, &c}) {
      dialog->x2 = dialog->y2 = 100;
      dialog->dlgHideCb(recordHide, nullptr);
    }
    uiCopyName(a.name, "A", sizeof a.name);
    uiCopyName(b.name, "B", sizeof b.name);
    uiCopyName(c.name, "C", sizeof c.name);
    g_hidden.clear();
  }

  // Each step is checked after its frames: both stacks and the dialogs hidden on the way.
  void run(const std::vector<Step>& steps) {
    for (const Step& step : steps) {
      SCOPED_TRACE(step.what);
      g_hidden.clear();
      step.act();
      for (int i = 0; i < step.frames; ++i)
        ui.render(16);
      EXPECT_EQ(describe(ui), step.stacks);
      EXPECT_EQ(g_hidden, step.hidden);
    }
  }

  uiDialog a, b, c;
};

}  // namespace

TEST(uiDialog, PlainDialogMovesBetweenHiddenAndIdleAtOnce) {
  WidgetStage stage;
  uiSubsystem& ui = stage.ui;
  uiDialog dialog;
  int states = -1;
  dialog.dlgHideCb([](uiWidget* hidden, void* client) {
    *static_cast<int*>(client) = static_cast<uiDialog*>(hidden)->getState() * 10 + 1;
  }, &states);
  dialog.enter();
  EXPECT_EQ(dialog.getState(), 1);
  EXPECT_EQ(dialog.getLastState(), 1);
  EXPECT_EQ(dialog.getWidgetFlags() & 7u, WF_ACTIVE | WF_VISIBLE | WF_INPUT_FOCUS);
  EXPECT_EQ(ui.getInputFocusWidget(), &dialog);
  EXPECT_EQ(states, -1);
  dialog.exit();
  EXPECT_EQ(dialog.getWidgetFlags() & 7u, 0u);
  EXPECT_EQ(states, 1) << "the callback runs once the state is 0";

  uiDialog quiet;
  quiet.takeFocus = false;
  ui.popInputFocusWidget();
  quiet.enter();
  EXPECT_EQ(quiet.getState(), 1);
  EXPECT_TRUE(quiet.getVisible());
  EXPECT_EQ(ui.focusStack, nullptr);
  quiet.activate(false);
  EXPECT_EQ(quiet.getState(), 1) << "activate leaves the state alone";
  EXPECT_FALSE(quiet.getVisible());
}

TEST(uiDialog, PushesAndPopsHandTheFocusDownAndLeaveNoStaleEntries) {
  Stage stage;
  uiSubsystem& ui = stage.ui;
  uiDialog &a = stage.a, &b = stage.b;
  stage.run({
      {"push A queued", [&] { ui.pushDialog(&a, true); }, 0, "dialogs: | focus:", {}},
      {"push A worked", [] {}, 1, "dialogs: A | focus: A A", {}},
      {"push B", [&] { ui.pushDialog(&b, true); }, 1, "dialogs: B A | focus: B B A", {}},
      {"pop B by name", [&] { ui.popDialog(&b, true); }, 1, "dialogs: A | focus: A A", {"B"}},
      {"pop the top", [&] { ui.popDialog(nullptr, true); }, 1, "dialogs: | focus:", {"A"}},
      {"push A again", [&] { ui.pushDialog(&a, true); }, 1, "dialogs: A | focus: A A", {}},
      {"pop A by name", [&] { ui.popDialog(&a, true); }, 1, "dialogs: | focus:", {"A"}},
      {"push and pop at once",
       [&] {
         ui.pushDialog(&a, false);
         ui.pushDialog(&b, false);
       },
       1, "dialogs: B A | focus: B A", {}},
      {"pop B at once", [&] { ui.popDialog(&b, false); }, 1, "dialogs: A | focus: A", {"B"}},
      {"pop the top at once", [&] { ui.popDialog(nullptr, false); }, 1, "dialogs: | focus:",
       {"A"}},
  });
  EXPECT_EQ(ui.cmdQueueCount, 0);
}

TEST(uiDialog, InputGoesBackToTheTopLevelWidgetOnceTheLastDialogIsPopped) {
  Stage stage;
  uiSubsystem& ui = stage.ui;
  uiDialog &a = stage.a;
  uiWidget* top = uiWidget::allocWidget("top", "uiInputHandler");
  ASSERT_NE(top, nullptr);
  top->x2 = top->y2 = 640;
  top->setWidgetStates(true, true, true, false);
  int presses = 0;
  _WidgetMap_s callbacks = {nullptr, nullptr, countPress, nullptr, nullptr, nullptr, nullptr};
  top->assignCallbacks(&callbacks, &presses);
  ui.setTopLevelWidget(top);
  for (bool byName : {false, true}) {
    SCOPED_TRACE(byName ? "popped by name" : "popped as the top dialog");
    ui.pushDialog(&a, true);
    ui.render(16);
    ui.inputEvent(UIE_MOUSEDOWN, 10, 10, 0);
    ui.inputEvent(UIE_MOUSEUP, 10, 10, 0);
    EXPECT_EQ(presses, 0) << "the dialog captures input";
    ui.popDialog(byName ? &a : nullptr, true);
    ui.render(16);
    EXPECT_EQ(ui.getInputFocusWidget(), nullptr);
    ui.inputEvent(UIE_MOUSEDOWN, 10, 10, 0);
    ui.inputEvent(UIE_MOUSEUP, 10, 10, 0);
    EXPECT_EQ(presses, 1);
    presses = 0;
  }
  delete top;
}

TEST(uiDialog, PushWaitsBehindADialogThatIsNotIdle) {
  Stage stage;
  uiSubsystem& ui = stage.ui;
  uiDialog &a = stage.a, &b = stage.b, &c = stage.c;
  stage.run({
      {"A on top", [&] { ui.pushDialog(&a, true); }, 1, "dialogs: A | focus: A A", {}},
      {"game hides A, B waits",
       [&] {
         a.hide();
         ui.pushDialog(&b, true);
         ui.pushDialog(&c, false);
       },
       2, "dialogs: A | focus: A A", {"A"}},
      {"A idle again", [&] { a.idle(); }, 1, "dialogs: C B A | focus: C B B A", {}},
  });
  c.hide();
  ui.pushDialog(&a, true);
  ui.render(16);
  EXPECT_EQ(ui.cmdQueueCount, 1);
  ui.clearPendingDialogs();
  EXPECT_EQ(ui.cmdQueueCount, 0);
  EXPECT_EQ(ui.cmdQueueHead, nullptr);
  EXPECT_EQ(ui.cmdQueueTail, nullptr);
}

TEST(uiDialog, ClearTakesOneFramePerDialogAnimatedAndOneFrameAtOnce) {
  Stage stage;
  uiSubsystem& ui = stage.ui;
  uiDialog &a = stage.a, &b = stage.b, &c = stage.c;
  auto pushAll = [&] {
    ui.pushDialog(&a, true);
    ui.pushDialog(&b, true);
    ui.pushDialog(&c, true);
  };
  stage.run({
      {"three pushed in one frame", pushAll, 1, "dialogs: C B A | focus: C C B A", {}},
      {"clear, first frame", [&] { ui.clearDialogStack(true); }, 1,
       "dialogs: B A | focus: B B A", {"C"}},
      {"second frame", [] {}, 1, "dialogs: A | focus: A A", {"B"}},
      {"third frame", [] {}, 1, "dialogs: | focus:", {"A"}},
      {"pushed again", pushAll, 1, "dialogs: C B A | focus: C C B A", {}},
      {"clear at once", [&] { ui.clearDialogStack(false); }, 1, "dialogs: | focus:",
       {"C", "B", "A"}},
  });
  EXPECT_EQ(ui.cmdQueueCount, 0);
}

TEST(uiDialog, PopsOfOtherDialogsOrOfAnEmptyStackAreDiscarded) {
  Stage stage;
  uiSubsystem& ui = stage.ui;
  uiDialog &a = stage.a, &b = stage.b, &c = stage.c;
  CaptureLog& log = stage.log;
  stage.run({
      {"empty stack", [&] {
         ui.popDialog(nullptr, true);
         ui.popDialog(&a, true);
         ui.clearDialogStack(true);
         ui.clearDialogStack(false);
       }, 1, "dialogs: | focus:", {}},
      {"A and B", [&] {
         ui.pushDialog(&a, false);
         ui.pushDialog(&b, false);
       }, 1, "dialogs: B A | focus: B A", {}},
      {"A is not on top", [&] {
         ui.popDialog(&a, true);
         ui.popDialog(&a, false);
       }, 1, "dialogs: B A | focus: B A", {}},
  });
  EXPECT_EQ(ui.cmdQueueCount, 0);
  EXPECT_FALSE(ui.topDialogIsIdle(&a)) << "idle, but not on top";
  EXPECT_TRUE(ui.topDialogIsIdle(&b));
  EXPECT_TRUE(ui.isDialogPushed(&a));
  EXPECT_FALSE(ui.isDialogPushed(&c));

  ui.clearDialogStack(false);
  ui.render(16);
  log.expect("_popDialog(): Stack underflow\f");
  ui.popDialog(nullptr, false);
  ui.render(16);
  EXPECT_EQ(ui.cmdQueueCount, 0);
  EXPECT_FALSE(ui.topDialogIsIdle(nullptr));
  ui.pushDialog(nullptr, true);
  EXPECT_EQ(ui.cmdQueueCount, 0);
}

TEST(uiDialog, QueueWarnsAboveThirtyTwoCommandsAndDropsThoseItCannotAllocate) {
  Stage stage;
  uiSubsystem& ui = stage.ui;
  CaptureLog& log = stage.log;
  for (int i = 0; i < 32; ++i)
    ui.popDialog(nullptr, true);
  EXPECT_TRUE(log.messages().empty());
  log.expect("DialogStackCmd queue exceeds 32 count\f", 1);
  ui.popDialog(nullptr, true);
  log.expect("DialogStackCmd queue exceeds 32 count\f", 1);
  ui.popDialog(nullptr, true);
  EXPECT_EQ(ui.cmdQueueCount, 34);
  ui.render(16);
  EXPECT_EQ(ui.cmdQueueCount, 0);

  for (int i = 0; i < 32; ++i)
    ui.pushDialog(&stage.a, false);
  FailingMemory memory(1);  // the 33rd command is the first that needs the memory manager
  log.expect("_addDialogStackCmd(): Out of Memory\f");
  ui.pushDialog(&stage.b, false);
  EXPECT_EQ(ui.cmdQueueCount, 32);
  ui.clearPendingDialogs();
}

TEST(uiDialog, DialogsThatTakeNoFocusLeaveTheFocusStackAlone) {
  Stage stage;
  uiSubsystem& ui = stage.ui;
  uiDialog &a = stage.a, &b = stage.b;
  a.takeFocus = false;
  // The stack reads the switch, a plain query: the dialog's virtual operations end with
  // getLastState, so a subclass's own takesFocus hides it instead of overriding it.
  struct Shadow : uiDialog {
    bool takesFocus() { return true; }
  } shadow;
  shadow.takeFocus = false;
  EXPECT_FALSE(static_cast<uiDialog&>(shadow).takesFocus());
  stage.run({
      {"A takes no focus", [&] { ui.pushDialog(&a, true); }, 1, "dialogs: A | focus:", {}},
      {"B over it", [&] { ui.pushDialog(&b, true); }, 1, "dialogs: B A | focus: B B", {}},
      {"B popped: A is handed the entry", [&] { ui.popDialog(nullptr, true); }, 1,
       "dialogs: A | focus: A", {"B"}},
      {"A popped", [&] { ui.popDialog(nullptr, true); }, 1, "dialogs: | focus:", {"A"}},
  });
}

TEST(uiDialog, TabOrderFollowsTabKeysAndClicks) {
  WidgetStage stage;
  uiSubsystem& ui = stage.ui;
  uiDialog* menu = new uiDialog;
  uiCopyName(menu->name, "menu", sizeof menu->name);
  applyKeys(*menu, "{\n x2 = 640\n y2 = 480\n"
                   " child a = uiInputHandler\n {\n  x = 10\n  x2 = 50\n  y2 = 20\n }\n"
                   " child b = uiInputHandler\n {\n  x = 60\n  x2 = 100\n  y2 = 20\n }\n"
                   " child c = uiInputHandler\n {\n  x = 110\n  x2 = 150\n  y2 = 20\n }\n"
                   " tabentry = menu.a\n TABENTRY = menu.b\n tabentry = menu.c\n}\n");
  uiWidget* entries[] = {menu->getWidget("menu.a", 0), menu->getWidget("menu.b", 0),
                         menu->getWidget("menu.c", 0)};
  auto focused = [&] {
    std::string text;
    for (uiWidget* entry : entries)
      text += entry->getInputFocus() ? entry->name : "";
    return text;
  };
  EXPECT_EQ(focused(), "a");
  ui.pushDialog(menu, false);
  ui.render(16);
  menu->resetTabFocus();

  int presses = 0;
  _WidgetMap_s callbacks = {nullptr, nullptr, countPress, nullptr, nullptr, nullptr, nullptr};
  menu->assignCallbacks(&callbacks, &presses);
  struct Case {
    e_uiEvent event;
    int x, y, key;
    const char* focus;
    int presses;
  } cases[] = {
      {UIE_KEYDOWN, 0, 0, UIK_TAB, "b", 0},
      {UIE_KEYDOWN, 0, 0, UIK_TAB, "c", 0},
      {UIE_KEYDOWN, 0, 0, UIK_TAB, "a", 0},     // wraps to the first entry
      {UIE_KEYUP, 0, 0, UIK_TAB, "a", 0},
      {UIE_MOUSEDOWN, 70, 5, 0, "b", 0},        // a click on b takes the focus, consumed
      {UIE_MOUSEUP, 70, 5, 0, "b", 0},
      {UIE_MOUSEDOWN, 70, 5, 0, "b", 1},        // b holds it already: the dialog's own handling
      {UIE_MOUSEUP, 70, 5, 0, "b", 1},
      {UIE_MOUSEDOWN, 300, 300, 0, "b", 2},     // on no entry
      {UIE_MOUSEUP, 300, 300, 0, "b", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(&c - cases));
    ui.inputEvent(UIE_MOUSEMOVE, c.x, c.y, 0);
    ui.inputEvent(c.event, c.x, c.y, c.key);
    EXPECT_EQ(focused(), c.focus);
    EXPECT_EQ(presses, c.presses);
  }
  entries[2]->setVisible(false, true);
  ui.inputEvent(UIE_MOUSEDOWN, 120, 5, 0);
  ui.inputEvent(UIE_MOUSEUP, 120, 5, 0);
  EXPECT_EQ(focused(), "b") << "a hidden entry does not take the focus";

  menu->idle();
  EXPECT_EQ(focused(), "abc");
  menu->reset();
  EXPECT_EQ(focused(), "b");
  ui.clearDialogStack(false);
  ui.render(16);
  delete menu;
}

TEST(uiDialog, TabWithoutEntriesIsConsumed) {
  WidgetStage stage;
  uiSubsystem& ui = stage.ui;
  uiDialog dialog;
  dialog.x2 = dialog.y2 = 100;
  int keys = 0;
  dialog.keyDownCb = [](uiWidget*, void* client, int) {
    ++*static_cast<int*>(client);
    return true;
  };
  dialog.cbClient = &keys;
  ui.pushDialog(&dialog, false);
  ui.render(16);
  ui.inputEvent(UIE_KEYDOWN, 0, 0, UIK_TAB);
  EXPECT_EQ(keys, 0);
  ui.inputEvent(UIE_KEYDOWN, 0, 0, 'x');
  EXPECT_EQ(keys, 1);
  ui.clearDialogStack(false);
  ui.render(16);
}

TEST(uiDialog, ClicksReachTabEntriesOfADialogInsideAnOffsetParent) {
  WidgetStage stage;
  uiSubsystem& ui = stage.ui;
  uiWidget* screen = uiWidget::allocWidget("screen", "uiNonVisualWidget");
  ASSERT_NE(screen, nullptr);
  applyKeys(*screen, "{\n x = 100\n y = 100\n x2 = 740\n y2 = 580\n}\n");
  uiDialog* menu = new uiDialog;
  uiCopyName(menu->name, "menu", sizeof menu->name);
  screen->addChild(menu, false);
  applyKeys(*menu, "{\n x = 10\n y = 10\n x2 = 400\n y2 = 300\n"
                   " child a = uiInputHandler\n {\n  x2 = 40\n  y2 = 20\n }\n"
                   " child b = uiInputHandler\n {\n  x = 50\n  x2 = 90\n  y2 = 20\n }\n"
                   " tabentry = menu.a\n tabentry = menu.b\n}\n");
  screen->setWidgetStates(true, true, true, false);
  ui.setTopLevelWidget(screen);
  ui.pushDialog(menu, false);
  ui.render(16);
  menu->resetTabFocus();
  // b lies at screen (160, 110) to (200, 130).
  ui.inputEvent(UIE_MOUSEDOWN, 170, 115, 0);
  EXPECT_TRUE(screen->getWidget("screen.menu.b", 0)->getInputFocus());
  EXPECT_FALSE(screen->getWidget("screen.menu.a", 0)->getInputFocus());
  ui.clearDialogStack(false);
  ui.render(16);
  delete screen;
}

TEST(uiDialog, BadTabEntryAndTakeFocusLinesAreReported) {
  WidgetStage stage;
  stage.log.expect("...expected: \"^C00FF00tabentry = \"string\"^c\"\f");
  stage.log.expect("...expected: \"^C00FF00tabentry = \"string\"^c\"\f");
  stage.log.expect("uiWidget::getWidget(): Unknown name: ^C0000FFmenu.zz^c\f");
  stage.log.expect("...tabentry: \"^C00FF00menu.zz^c does not exist.\f");
  stage.log.expect("...expected: \"^C00FF00takefocus = BOOLEAN^c\"\f");
  uiDialog* menu = new uiDialog;
  uiCopyName(menu->name, "menu", sizeof menu->name);
  applyKeys(*menu, "{\n child a = uiInputHandler\n {\n }\n"
                   " tabentry menu.a\n tabentry =\n tabentry = menu.zz\n"
                   " takefocus false\n takefocus = FALSE\n}\n");
  EXPECT_EQ(menu->tabHead, nullptr);
  EXPECT_FALSE(menu->takesFocus());
  delete menu;
}

TEST(uiDialog, TabNodeThatCannotBeAllocatedIsNotAdded) {
  CaptureLog log;
  uiSubsystem ui;
  uiDialog dialog;
  uiWidget* entry = uiWidget::allocWidget("entry", "uiInputHandler");
  ASSERT_NE(entry, nullptr);
  dialog.addChild(entry, false);
  log.expect("::addTabEntry(entry): Out of Memory\f");
  {
    FailingMemory memory(1);
    dialog.addTabEntry(entry);
  }
  EXPECT_EQ(dialog.tabHead, nullptr);
  EXPECT_EQ(dialog.tabCurrent, nullptr);
  EXPECT_FALSE(entry->getInputFocus());
  dialog.addTabEntry(entry);
  EXPECT_EQ(dialog.tabCurrent, dialog.tabHead);
  EXPECT_TRUE(entry->getInputFocus());
}

// Removing a subtree drops its entries wherever they stand; when the current entry goes, the
// first one left takes the focus.
TEST(uiDialog, RemovingASubtreeDropsItsTabEntries) {
  struct Case {
    std::string removed;
    std::string current;  // the entry holding the focus before the removal
    std::vector<std::string> left;
    std::string focused;  // the entry holding the focus afterwards, "" for none
  };
  const Case cases[] = {
      {"panel", "a", {"a", "c"}, "a"}, {"panel", "b", {"a", "c"}, "a"},
      {"a", "a", {"b", "c"}, "b"},     {"c", "b", {"a", "b"}, "b"},
      {"dialog", "a", {}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.removed + " with " + c.current + " current");
    CaptureLog log;
    uiDialog dialog;
    std::map<std::string, uiWidget*> widgets = {{"dialog", &dialog}};
    for (const char* name : {"a", "panel", "b", "c"})
      widgets[name] = uiWidget::allocWidget(name, "uiInputHandler");
    dialog.addChild(widgets["a"], false);
    dialog.addChild(widgets["panel"], false);
    widgets["panel"]->addChild(widgets["b"], false);
    dialog.addChild(widgets["c"], false);
    for (const char* name : {"a", "b", "c"})
      dialog.addTabEntry(widgets[name]);
    for (uiDialog::TabNode* node = dialog.tabHead; node; node = node->next) {
      if (node->widget == widgets[c.current])
        dialog.tabCurrent = node;
    }
    dialog.resetTabFocus();
    dialog.removeTabEntries(widgets[c.removed]);
    std::vector<std::string> left;
    for (uiDialog::TabNode* node = dialog.tabHead; node; node = node->next)
      left.push_back(node->widget->name);
    EXPECT_EQ(left, c.left);
    EXPECT_EQ(dialog.tabTail ? dialog.tabTail->widget->name : "", left.empty() ? "" : left.back());
    EXPECT_EQ(dialog.tabCurrent ? dialog.tabCurrent->widget->name : "", c.focused);
    if (dialog.tabCurrent) {
      EXPECT_TRUE(dialog.tabCurrent->widget->getInputFocus());
    }
  }
}

TEST(uiDialog, ResetRestartsEveryParticleSystemBelowTheDialog) {
  WidgetStage stage;
  RecordingGfx& gfx = stage.gfx;
  uiDialog dialog;
  uiWidget* panel = uiWidget::allocWidget("panel", "uiNonVisualWidget");
  ASSERT_NE(panel, nullptr);
  uiParticleSystem* spark = new uiParticleSystem;
  uiParticleSystem* smoke = new uiParticleSystem;
  uiCopyName(spark->name, "spark", sizeof spark->name);
  uiCopyName(smoke->name, "smoke", sizeof smoke->name);
  gfx.defineParticleSystem("sparks.psi");
  spark->loadPsys("sparks.psi");
  smoke->loadPsys("sparks.psi");
  panel->addChild(spark, false);
  dialog.addChild(panel, false);
  dialog.addChild(smoke, false);
  gfx.clearCalls();
  dialog.reset();
  EXPECT_EQ(gfx.calls, (std::vector<std::string>{
                           "addEvent type=4 value=0 instance=2 value2=0 f=0 data=null",
                           "addEvent type=4 value=0 instance=1 value2=0 f=0 data=null"}));
}
