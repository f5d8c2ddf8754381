#include "uidialog.h"

#include "uisubsystem.h"

#include "testmemory.h"
#include "widgettest.h"

#include <gtest/gtest.h>

#include <functional>
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

// The lines of a 40 x 20 input handler child at (x, 0).
std::string entry(const char* name, int x) {
  return std::string(" child ") + name + " = uiInputHandler\n {\n  x = " + std::to_string(x) +
         "\n  width = 40\n  height = 20\n }\n";
}

// One step of a dialog stack timeline: what the game does, how many frames run, then the dialog
// stack and the focus stack, top first ("-" for an entry holding null), and who was hidden.
struct Step {
  const char* what;
  std::function<void()> act;
  int frames;
  const char* stacks;
  std::vector<std::string> hidden;
};

// Three plain dialogs A, B and C that record when they are hidden, and the UI manager that
// stacks them.
struct Stage : WidgetStage {
  Stage() {
    for (uiDialog* dialog : {&a, &b, &c}) {
      dialog->x2 = dialog->y2 = 100;
      dialog->dlgHideCb(recordHide, nullptr);
      uiCopyName(dialog->name, dialog == &a ? "A" : dialog == &b ? "B" : "C", sizeof a.name);
    }
    g_hidden.clear();
  }

  std::string stacks() const {
    std::string text = "dialogs:";
    for (const uiSubsystem::DialogNode* node = ui.dialogStack; node; node = node->next)
      text += std::string(" ") + node->dialog->name;
    text += " | focus:";
    for (const uiSubsystem::FocusNode* node = ui.focusStack; node; node = node->next)
      text += std::string(" ") + (node->widget ? node->widget->name : "-");
    return text;
  }

  void run(const std::vector<Step>& steps) {
    for (const Step& step : steps) {
      SCOPED_TRACE(step.what);
      g_hidden.clear();
      step.act();
      for (int i = 0; i < step.frames; ++i)
        ui.render(16);
      EXPECT_EQ(stacks(), step.stacks);
      EXPECT_EQ(g_hidden, step.hidden);
    }
  }

  // A dialog named menu read from its keys; the caller owns it.
  static uiDialog* menu(const std::string& keys) {
    uiDialog* dialog = new uiDialog;
    uiCopyName(dialog->name, "menu", sizeof dialog->name);
    applyKeys(*dialog, keys);
    return dialog;
  }

  uiDialog a, b, c;
};

}  // namespace

// A popped dialog hands its focus entry down and leaves no stale entry behind; pops of a dialog
// not on top, or of an empty stack, are discarded; a dialog that takes no focus pushes no entry.
TEST(uiDialog, PushesAndPopsHandTheFocusDown) {
  Stage stage;
  uiSubsystem& ui = stage.ui;
  uiDialog &a = stage.a, &b = stage.b;
  EXPECT_FALSE(ui.topDialogIsIdle(nullptr)) << "an empty stack has no top";
  stage.run({
      {"empty stack", [&] { ui.popDialog(&a, true); ui.clearDialogStack(true); }, 1,
       "dialogs: | focus:", {}},
      {"push A queued", [&] { ui.pushDialog(&a, true); }, 0, "dialogs: | focus:", {}},
      {"push A worked", [] {}, 1, "dialogs: A | focus: A A", {}},
      {"push B", [&] { ui.pushDialog(&b, true); }, 1, "dialogs: B A | focus: B B A", {}},
      {"A is not on top", [&] { ui.popDialog(&a, true); }, 1, "dialogs: B A | focus: B B A", {}},
      {"pop B by name", [&] { ui.popDialog(&b, true); }, 1, "dialogs: A | focus: A A", {"B"}},
      {"pop the top", [&] { ui.popDialog(nullptr, true); }, 1, "dialogs: | focus:", {"A"}},
      {"push two at once", [&] { ui.pushDialog(&a, false); ui.pushDialog(&b, false); }, 1,
       "dialogs: B A | focus: B A", {}},
      {"pop B at once", [&] { ui.popDialog(&b, false); }, 1, "dialogs: A | focus: A", {"B"}},
      {"pop the top at once", [&] { ui.popDialog(nullptr, false); }, 1, "dialogs: | focus:",
       {"A"}},
      {"A takes no focus", [&] { a.takeFocus = false; ui.pushDialog(&a, true); }, 1,
       "dialogs: A | focus:", {}},
      {"B over it", [&] { ui.pushDialog(&b, true); }, 1, "dialogs: B A | focus: B B", {}},
      {"B popped: A is handed the entry", [&] { ui.popDialog(nullptr, true); }, 1,
       "dialogs: A | focus: A", {"B"}},
  });
  EXPECT_TRUE(ui.topDialogIsIdle(&a));
  EXPECT_FALSE(ui.topDialogIsIdle(&b));
  ui.clearDialogStack(false);
  ui.render(16);
  stage.log.expect("_popDialog(): Stack underflow\f");
  ui.popDialog(nullptr, false);
  ui.pushDialog(nullptr, true);
  ui.render(16);
  EXPECT_EQ(ui.cmdQueueCount, 0);
}

TEST(uiDialog, PushWaitsBehindADialogThatIsNotIdle) {
  Stage stage;
  uiSubsystem& ui = stage.ui;
  uiDialog &a = stage.a, &b = stage.b, &c = stage.c;
  stage.run({
      {"A on top", [&] { ui.pushDialog(&a, true); }, 1, "dialogs: A | focus: A A", {}},
      {"A hidden, B waits", [&] { a.hide(); ui.pushDialog(&b, true); ui.pushDialog(&c, false); },
       2, "dialogs: A | focus: A A", {"A"}},
      {"A idle again", [&] { a.idle(); }, 1, "dialogs: C B A | focus: C B B A", {}},
  });
}

TEST(uiDialog, QueueWarnsAboveThirtyTwoCommandsAndDropsThoseItCannotAllocate) {
  Stage stage;
  uiSubsystem& ui = stage.ui;
  for (int i = 0; i < 32; ++i)
    ui.popDialog(nullptr, true);
  EXPECT_TRUE(stage.log.messages().empty());
  stage.log.expect("DialogStackCmd queue exceeds 32 count\f", 1);
  ui.popDialog(nullptr, true);
  ui.render(16);
  EXPECT_EQ(ui.cmdQueueCount, 0);
  for (int i = 0; i < 32; ++i)
    ui.pushDialog(&stage.a, false);
  FailingMemory memory(1);  // the 33rd command is the first that needs the memory manager
  stage.log.expect("_addDialogStackCmd(): Out of Memory\f");
  ui.pushDialog(&stage.b, false);
  EXPECT_EQ(ui.cmdQueueCount, 32);
  ui.clearPendingDialogs();
  EXPECT_TRUE(ui.cmdQueueCount == 0 && !ui.cmdQueueHead && !ui.cmdQueueTail);
}

// Tab moves the focus along the entries and wraps; a click on an entry takes the focus and is
// consumed, and a click on the entry that holds it is the dialog's own; hidden entries are skipped.
TEST(uiDialog, TabOrderFollowsTabKeysAndClicks) {
  WidgetStage stage;
  uiSubsystem& ui = stage.ui;
  uiDialog* menu = Stage::menu("{\n x2 = 640\n y2 = 480\n" + entry("a", 10) + entry("b", 60) +
                               entry("c", 110) +
                               " tabentry = menu.a\n TABENTRY = menu.b\n tabentry = menu.c\n}\n");
  Tree owner(menu);
  ui.pushDialog(menu, false);
  ui.render(16);
  menu->resetTabFocus();
  int presses = 0;
  _WidgetMap_s callbacks = {nullptr, nullptr, countPress, nullptr, nullptr, nullptr, nullptr};
  menu->assignCallbacks(&callbacks, &presses);
  std::string seen;
  auto input = [&](e_uiEvent down, e_uiEvent up, int x, int key) {
    ui.inputEvent(UIE_MOUSEMOVE, x, 5, 0);
    ui.inputEvent(down, x, 5, key);
    ui.inputEvent(up, x, 5, key);
    for (const char* path : {"menu.a", "menu.b", "menu.c"})
      seen += menu->getWidget(path, 0)->getInputFocus() ? path + 5 : "";
    seen += std::to_string(presses) + " ";
  };
  for (int i = 0; i < 3; ++i)
    input(UIE_KEYDOWN, UIE_KEYUP, 0, UIK_TAB);
  input(UIE_MOUSEDOWN, UIE_MOUSEUP, 70, 0);
  input(UIE_MOUSEDOWN, UIE_MOUSEUP, 70, 0);
  menu->getWidget("menu.c", 0)->setVisible(false, true);
  input(UIE_MOUSEDOWN, UIE_MOUSEUP, 120, 0);
  EXPECT_EQ(seen, "b0 c0 a0 b0 b1 b2 ");
  ui.clearDialogStack(false);
  ui.render(16);
}

// b lies at screen (160, 110) to (200, 130): the dialog's parent is not at the origin.
TEST(uiDialog, ClicksReachTabEntriesOfADialogInsideAnOffsetParent) {
  WidgetStage stage;
  Tree screen(uiWidget::allocWidget("screen", "uiNonVisualWidget"));
  applyKeys(*screen, "{\n x = 100\n y = 100\n x2 = 740\n y2 = 580\n}\n");
  uiDialog* menu = Stage::menu("{\n x = 10\n y = 10\n x2 = 400\n y2 = 300\n" + entry("a", 0) +
                               entry("b", 50) + " tabentry = menu.a\n tabentry = menu.b\n}\n");
  screen->addChild(menu, false);
  screen->setWidgetStates(true, true, true, false);
  stage.ui.setTopLevelWidget(screen.get());
  stage.ui.pushDialog(menu, false);
  stage.ui.render(16);
  menu->resetTabFocus();
  stage.ui.inputEvent(UIE_MOUSEDOWN, 170, 115, 0);
  EXPECT_TRUE(menu->getWidget("menu.b", 0)->getInputFocus());
  EXPECT_FALSE(menu->getWidget("menu.a", 0)->getInputFocus());
  stage.ui.clearDialogStack(false);
  stage.ui.render(16);
}

TEST(uiDialog, BadTabEntryAndTakeFocusLinesAreReported) {
  WidgetStage stage;
  stage.log.expect("...expected: \"^C00FF00tabentry = \"string\"^c\"\f");
  stage.log.expect("...expected: \"^C00FF00tabentry = \"string\"^c\"\f");
  stage.log.expect("uiWidget::getWidget(): Unknown name: ^C0000FFmenu.zz^c\f");
  stage.log.expect("...tabentry: \"^C00FF00menu.zz^c does not exist.\f");
  stage.log.expect("...expected: \"^C00FF00takefocus = BOOLEAN^c\"\f");
  Tree menu(Stage::menu("{\n child a = uiInputHandler\n {\n }\n tabentry menu.a\n tabentry =\n"
                        " tabentry = menu.zz\n takefocus false\n takefocus = FALSE\n}\n"));
  EXPECT_EQ(static_cast<uiDialog*>(menu.get())->tabHead, nullptr);
  EXPECT_FALSE(static_cast<uiDialog*>(menu.get())->takesFocus());
}

TEST(uiDialog, TabNodeThatCannotBeAllocatedIsNotAdded) {
  WidgetStage stage;
  uiDialog dialog;
  uiWidget* entry = uiWidget::allocWidget("entry", "uiInputHandler");
  dialog.addChild(entry, false);
  {
    FailingMemory memory(1);
    dialog.addTabEntry(entry);
  }
  EXPECT_EQ(dialog.tabHead, nullptr);
  EXPECT_FALSE(entry->getInputFocus());
  dialog.addTabEntry(entry);
  EXPECT_TRUE(dialog.tabCurrent == dialog.tabHead && entry->getInputFocus());
}
