#include "uianimdialog.h"

#include "testmemory.h"
#include "widgettest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

void noteName(uiWidget* widget, void* client) {
  static_cast<std::vector<std::string>*>(client)->push_back(widget->name);
}

bool noteKey(uiWidget* widget, void* client, int) {
  static_cast<std::vector<std::string>*>(client)->push_back(widget->name);
  return true;
}

// A UI manager whose top-level widget holds the dialogs, so that each frame runs the whole frame
// loop with the dialog commands. Sprite 1 is an 8 x 4 mask. Any message logged fails the test.
struct Screen : WidgetStage {
  Screen() {
    gfx.defineSprite("mask", 8, 4);
    root = uiNonVisualWidget::s_allocator();
    root->setWidgetStates(true, true, true, true);
    ui.setTopLevelWidget(root);
  }
  ~Screen() {
    delete root;
    uiWidget::s_iDeltaTime = 0;
  }

  // The dialog's hide callbacks and the keys it hears are recorded.
  template <class Dialog = uiAnimDialog>
  Dialog* add(const char* name, const std::string& keys = "") {
    Dialog* dialog = static_cast<Dialog*>(Dialog::s_allocator());
    uiCopyName(dialog->name, name, sizeof(dialog->name));
    applyKeys(*dialog, keys);
    root->addChild(dialog, false);
    dialog->dlgHideCb(noteName, &hidden);
    dialog->keyDownCb = noteKey;
    dialog->cbClient = &heard;
    return dialog;
  }

  // A frame of 100 ms, then a key press. Describes the dialogs, the stack (top first), the input
  // focus stack (top first) and who heard the key.
  std::string frame(std::vector<uiAnimDialog*> dialogs) {
    ui.render(100);
    heard.clear();
    ui.inputEvent(UIE_KEYDOWN, 0, 0, 'k');
    std::string row;
    for (uiAnimDialog* dialog : dialogs)
      row += std::string(dialog->name) + " " + std::to_string(dialog->getState()) + "/" +
             std::to_string(dialog->getLastState()) + " " + std::to_string(dialog->x) + "," +
             std::to_string(dialog->y) + " ";
    row += "| stack";
    for (uiSubsystem::DialogNode* node = ui.dialogStack; node; node = node->next)
      row += std::string(" ") + node->dialog->name;
    row += " | focus";
    for (uiSubsystem::FocusNode* node = ui.focusStack; node; node = node->next)
      row += std::string(" ") + (node->widget ? node->widget->name : "null");
    return row + " | key " + (heard.empty() ? "-" : heard[0]);
  }

  uiWidget* root = nullptr;
  std::vector<std::string> hidden, heard;
};

}  // namespace

// The note waits until the menu has entered. In the next frame the menu catches up and is
// activated, but leaves the input focus with the note over it.
TEST(uiAnimDialog, PushBehindAnEnteringDialogThenPopBoth) {
  Screen screen;
  uiAnimDialog* menu = screen.add("menu",
      "x = 201\nAnimIn style = BezierLerp\nAnimIn Time = 500\nAnimIn sound = in\n"
      "AnimIn BezierControls = 0.3333333 0.6666667\nAnimOut style = BezierLerp\nAnimOut Time = 300\n"
      "AnimOut Loc = 0 -301\nAnimOut BezierControls = 0.3333333 0.6666667\nAnimOut sound = out");
  uiDialog* note = screen.add<uiDialog>("note");
  screen.ui.pushDialog(menu, true);
  screen.ui.pushDialog(note, true);
  std::vector<std::string> rows;
  for (int frame = 1; frame <= 10; ++frame) {
    rows.push_back(screen.frame({menu}));
    if (frame == 6) {
      screen.ui.popDialog(note, true);
      screen.ui.popDialog(menu, true);
    }
  }
  EXPECT_EQ(rows, (std::vector<std::string> {
                      "menu 2/0 201,0 | stack menu | focus menu | key -",
                      "menu 2/0 160,0 | stack menu | focus menu | key -",
                      "menu 2/0 120,0 | stack menu | focus menu | key -",
                      "menu 2/0 80,0 | stack menu | focus menu | key -",
                      "menu 1/2 0,0 | stack menu | focus menu | key -",
                      "menu 1/1 0,0 | stack note menu | focus note note | key note",
                      "menu 3/1 0,0 | stack menu | focus menu | key -",
                      "menu 3/1 0,-100 | stack menu | focus menu | key -",
                      "menu 0/3 0,-301 | stack menu | focus menu | key -",
                      "menu 0/3 0,-301 | stack | focus | key -",
                  }));
  EXPECT_EQ(screen.hidden, (std::vector<std::string> {"note", "menu"}));
  EXPECT_FALSE(menu->getVisible());
  ASSERT_EQ(screen.sound.played.size(), 2u);
  EXPECT_EQ(screen.sound.played[0].name + screen.sound.played[1].name, "inout");
}

TEST(uiAnimDialog, ClearOverThreeDialogsAnimatedAndAtOnce) {
  Screen screen;
  std::vector<uiAnimDialog*> dialogs;
  for (const char* name : {"a", "b", "c"})
    dialogs.push_back(screen.add(name, "AnimOut style = Trivial\nAnimOut Time = 200\nAnimOut sound = "
                                       "bye\nAnimOut Loc = 5 5"));
  for (uiAnimDialog* dialog : dialogs)
    screen.ui.pushDialog(dialog, false);
  EXPECT_EQ(screen.frame(dialogs), "a 1/1 0,0 b 1/1 0,0 c 1/1 0,0 | stack c b a | focus c b a | key c");
  screen.ui.clearDialogStack(true);
  std::vector<std::string> rows;
  for (int frame = 1; frame <= 9; ++frame)
    rows.push_back(screen.frame(dialogs));
  EXPECT_EQ(rows, (std::vector<std::string> {
                      "a 1/1 0,0 b 1/1 0,0 c 3/1 0,0 | stack c b a | focus c b a | key -",
                      "a 1/1 0,0 b 1/1 0,0 c 0/3 5,5 | stack c b a | focus c b a | key -",
                      "a 1/1 0,0 b 1/1 0,0 c 0/3 5,5 | stack b a | focus b b a | key b",
                      "a 1/1 0,0 b 3/1 0,0 c 0/3 5,5 | stack b a | focus b b a | key -",
                      "a 1/1 0,0 b 0/3 5,5 c 0/3 5,5 | stack b a | focus b b a | key -",
                      "a 1/1 0,0 b 0/3 5,5 c 0/3 5,5 | stack a | focus a a | key a",
                      "a 3/1 0,0 b 0/3 5,5 c 0/3 5,5 | stack a | focus a a | key -",
                      "a 0/3 5,5 b 0/3 5,5 c 0/3 5,5 | stack a | focus a a | key -",
                      "a 0/3 5,5 b 0/3 5,5 c 0/3 5,5 | stack | focus | key -",
                  }));
  EXPECT_EQ(screen.sound.played.size(), 3u);

  for (uiAnimDialog* dialog : dialogs)
    screen.ui.pushDialog(dialog, false);
  screen.frame(dialogs);
  screen.hidden.clear();
  screen.ui.clearDialogStack(false);
  EXPECT_EQ(screen.frame(dialogs), "a 0/1 5,5 b 0/1 5,5 c 0/1 5,5 | stack | focus | key -");
  EXPECT_EQ(screen.hidden, (std::vector<std::string> {"c", "b", "a"}));
  EXPECT_EQ(screen.sound.played.size(), 3u) << "no sound without the animation";

  uiAnimDialog* menu = dialogs[0];
  menu->animIn.style = ANIM_TRIVIAL;
  menu->animIn.time = 500;
  screen.ui.pushDialog(menu, true);
  screen.frame({});
  screen.ui.popDialog(menu, false);
  EXPECT_EQ(screen.frame({menu}), "a 0/0 5,5 | stack | focus | key -")
      << "popped at once while still entering";
}

// Each entry completes by its own time; an entry without a widget holds nothing back. The dialog
// is placed at its loc in every frame after its own time.
TEST(uiAnimDialog, SubAnimationsCompleteByTheLongestEntry) {
  Screen screen;
  uiAnimDialog* menu = screen.add("menu",
      "child title = uiVisualWidget\n{\nx = 10\ny = 10\nwidth = 20\nheight = 5\n}\n"
      "child button = uiVisualWidget\n{\nx = 30\ny = 30\nwidth = 10\nheight = 10\n}\n"
      "child note = uiVisualWidget\n{\nx = 40\ny = 40\nwidth = 10\nheight = 10\n}\n"
      "AnimIn style = Trivial\nAnimIn Time = 500\nAnimIn Loc = 3 4\nSubAnimCount = 4\n"
      "SubAnimIn 0 widget = menu.title\nSubAnimIn 0 style = BezierLerp\nSubAnimIn 0 Time = 300\n"
      "SubAnimIn 0 Loc = 10 50\nSubAnimIn 0 BezierControls = 0.3333333 0.6666667\n"
      "SubAnimIn 1 widget = menu.button\nSubAnimIn 1 AlphaStart = 0\nSubAnimIn 1 style = AlphaFade\n"
      "SubAnimIn 1 AlphaTarget = 200\nSubAnimIn 1 Time = 800\nSubAnimIn 1 Loc = 30 30\n"
      "SubAnimIn 2 Time = 5000\nSubAnimIn 3 widget = menu.note");
  uiWidget* title = menu->getWidget("menu.title", 0);
  auto* button = static_cast<uiVisualWidget*>(menu->getWidget("menu.button", 0));
  uiWidget* note = menu->getWidget("menu.note", 0);
  screen.ui.pushDialog(menu, true);
  std::vector<std::string> rows;
  for (int frame = 1; frame <= 9; ++frame) {
    std::string row = screen.frame({menu}).substr(0, 10);
    rows.push_back(row + " title " + std::to_string(title->y) + " alpha " +
                   std::to_string(button->getAlpha()) + " note " + std::to_string(note->x) +
                   (screen.ui.topDialogIsIdle(menu) ? " idle" : ""));
    if (frame == 5)
      menu->x = 99;
  }
  EXPECT_EQ(rows, (std::vector<std::string> {
                      "menu 2/0 0 title 10 alpha 25 note 0", "menu 2/0 0 title 23 alpha 50 note 0",
                      "menu 2/0 0 title 50 alpha 75 note 0", "menu 2/0 0 title 50 alpha 100 note 0",
                      "menu 2/0 3 title 50 alpha 125 note 0", "menu 2/0 3 title 50 alpha 150 note 0",
                      "menu 2/0 3 title 50 alpha 175 note 0", "menu 1/2 3 title 50 alpha 200 note 0",
                      "menu 1/1 3 title 50 alpha 200 note 0 idle",
                  }));

  // The next in-animation sends every widget home, with its size.
  screen.ui.popDialog(menu, false);
  screen.frame({});
  button->x = button->y = 60;
  button->x2 = button->y2 = 70;
  screen.ui.pushDialog(menu, true);
  screen.frame({});
  EXPECT_EQ(std::vector<int>({title->y, title->y2, button->x, button->x2, note->x2}),
            std::vector<int>({10, 15, 30, 40, 10}));
}

TEST(uiAnimDialog, HiddenEntriesStayHiddenAndFadingEntriesKeepTheirVisibility) {
  Screen screen;
  uiAnimDialog* menu = screen.add("menu",
      "child badge = uiVisualWidget\n{\n}\nchild fader = uiVisualWidget\n{\n}\n"
      "child mover = uiVisualWidget\n{\n}\nAnimIn style = Trivial\nAnimOut style = Trivial\n"
      "SubAnimCount = 3\nSubAnimIn 0 widget = menu.badge\nSubAnimIn 0 style = Hidden\n"
      "SubAnimOut 1 widget = menu.fader\nSubAnimOut 1 style = AlphaFade\n"
      "SubAnimOut 2 widget = menu.mover\nSubAnimOut 2 style = BezierLerp\nSubAnimOut 2 Time = 200");
  uiWidget* badge = menu->getWidget("menu.badge", 0);
  uiWidget* fader = menu->getWidget("menu.fader", 0);
  uiWidget* mover = menu->getWidget("menu.mover", 0);
  screen.ui.pushDialog(menu, true);
  screen.frame({});
  EXPECT_FALSE(badge->getVisible() || badge->setActive());
  screen.frame({});
  EXPECT_FALSE(badge->getVisible() || badge->setActive()) << "hidden again after the activation";
  EXPECT_TRUE(mover->getVisible() && mover->getInputFocus());

  screen.ui.popDialog(menu, true);
  screen.frame({});
  ASSERT_EQ(menu->getState(), uiDialog::STATE_EXITING);
  menu->setVisible(false, true);
  EXPECT_TRUE(fader->getVisible()) << "a widget that fades out keeps its visibility";
  EXPECT_FALSE(mover->getVisible());
  menu->setVisible(true, true);
  screen.frame({});
  EXPECT_FALSE(menu->getVisible() || fader->getVisible()) << "hidden, once out";
}

TEST(uiAnimDialog, MasksAndInputWhileAnimating) {
  Screen screen;
  uiAnimDialog* menu = screen.add("menu",
      "x = 100\ny = 200\nchild panel = uiNonVisualWidget\n{\nx = 10\ny = 20\n"
      "child icon = uiVisualWidget\n{\nx = 1\ny = 2\n}\n}\n"
      "AnimIn style = SpriteMask\nAnimIn Time = 200\nAnimIn Loc = 100 200\nAnimIn sprite = mask\n"
      "AnimIn AlphaStart = 200\nAnimIn AlphaTarget = 100\nAnimIn SpriteVertCount = 1\n"
      "AnimIn SpriteHorzCount = 2\nAnimIn spritedepth = 9\nSubAnimCount = 1\n"
      "SubAnimIn 0 widget = menu.panel.icon\nSubAnimIn 0 AlphaStart = 0\nSubAnimIn 0 style = SpriteMask\nSubAnimIn 0 Time = 200\n"
      "SubAnimIn 0 Loc = 1 2\nSubAnimIn 0 sprite = mask\nSubAnimIn 0 AlphaTarget = 255\n"
      "SubAnimIn 0 SpriteVertCount = 1\nSubAnimIn 0 SpriteHorzCount = 1");
  menu->setInputFocus(true, false);
  EXPECT_FALSE(menu->inputEvent(UIE_KEYDOWN, 0, 0, UIK_TAB, false, false)) << "hidden";
  screen.ui.pushDialog(menu, true);
  screen.frame({});
  EXPECT_EQ(screen.gfx.callsOf("blt"), (std::vector<std::string> {
                "blt depth=9 sprite=1 x=100 y=200 anim=0 frame=0 alpha=200",
                "blt depth=9 sprite=1 x=108 y=200 anim=0 frame=0 alpha=200"}));
  screen.gfx.clearCalls();
  screen.frame({});
  EXPECT_EQ(screen.gfx.callsOf("blt"), (std::vector<std::string> {
                "blt depth=9 sprite=1 x=100 y=200 anim=0 frame=0 alpha=100",
                "blt depth=9 sprite=1 x=108 y=200 anim=0 frame=0 alpha=100",
                "blt depth=0 sprite=1 x=111 y=222 anim=0 frame=0 alpha=255"}))
      << "the icon's mask lies over the icon, inside its panel";
  EXPECT_FALSE(menu->getInputFocus()) << "idle, but activated only in the next frame";
  screen.frame({});
  EXPECT_TRUE(menu->inputEvent(UIE_KEYDOWN, 0, 0, UIK_TAB, false, false)) << "idle takes Tab";
}

TEST(uiAnimDialog, KeysAndTheirMessages) {
  Screen screen;
  uiAnimDialog* menu = screen.add("menu", "child title = uiVisualWidget\n{\nx = 7\ny = 8\n}\n"
                                          "AnimIn style = AlphaFade\nANIMOUT Time = 40");
  EXPECT_EQ(menu->animIn.style + menu->animOut.time, ANIM_ALPHA_FADE + 40u);
  struct Case {
    const char* line;
    std::vector<const char*> messages;
  } cases[] = {
      {"SubAnimIn 0 Time = 5", {"...invalid SubAnim id: 0\f"}},
      {"SubAnimCount = 2", {}},
      {"SubAnimIn 2 Time = 5", {"...invalid SubAnim id: 2\f"}},
      {"SubAnimOut -1 Time = 5", {"...invalid SubAnim id: -1\f"}},
      {"SubAnimIn one Time = 5", {"...expected: \"^C00FF00subanimin id ...^c\"\f"}},
      {"SubAnimOut", {"...expected: \"^C00FF00subanimin id ...^c\"\f"}},
      {"SubAnimIn 0 widget = menu.gone",
       {"uiWidget::getWidget(): Unknown name: ^C0000FFmenu.gone^c\f",
        "uiAnimDialog[^CFFFF00menu^c]: Failed to map subAnim widget: ^CFF0000menu.gone^c\f"}},
      {"SubAnimIn 0 widget menu.title", {"...expected: \"^C00FF00widget = \"val\"^c\"\f"}},
      {"SubAnimIn 0 widget = menu.title", {}},
      {"SubAnimIn 0 Bounce = 1", {"...unknown command for anim: \"^C00FF00Bounce^c\"\f"}},
      {"subanimout 1 sprite = mask", {}},
      {"SubAnimCount = -3", {"...invalid SubAnimCount: -3\f"}},
      {"SubAnimCount = many", {"...expected: \"^C00FF00SubAnimCount = integer^c\"\f"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    for (const char* message : c.messages)
      screen.log.expect(message);
    applyKeys(*menu, c.line);
    screen.log.check();
  }
  ASSERT_EQ(menu->getSubAnimCount(), 2);
  const uiAnimDialog::SubAnimData& entry = *menu->getSubAnim(0);
  EXPECT_EQ(entry.widget, menu->getWidget("menu.title", 0));
  EXPECT_EQ(std::vector<int>({entry.homeX, entry.homeY, entry.animIn.alphaStart}),
            std::vector<int>({7, 8, 255}));
  EXPECT_EQ(menu->getSubAnim(1)->animOut.sprite, screen.gfx.spriteId("mask"));

  menu->setAnimSound(false, -1, "open");
  menu->setAnimSound(true, 1, "close");
  menu->setAnimSound(true, 2, "nowhere");
  EXPECT_EQ(std::string(menu->animIn.sound) + menu->getSubAnim(1)->animOut.sound + menu->animOut.sound,
            "openclose");

  applyKeys(*menu, "SubAnimCount = 1");
  EXPECT_EQ(menu->getSubAnim(0)->widget, nullptr) << "the entries are replaced";
  EXPECT_EQ(screen.gfx.spriteUses("mask"), 0) << "with their mask sprites";
  {
    FailingMemory failing(1);
    screen.log.expect("uiAnimDialog(): out of memory allocating SubAnimData\f");
    applyKeys(*menu, "SubAnimCount = 4");
  }
  EXPECT_EQ(menu->getSubAnimCount(), 0);
}

TEST(uiAnimDialog, FramesAllocateNothingAndDeletingFreesEverything) {
  CountingMemory memory;
  {
    Screen screen;
    uiAnimDialog* menu = screen.add("menu",
        "child title = uiVisualWidget\n{\n}\nAnimIn style = SpriteMask\nAnimIn Time = 300\n"
        "AnimIn sprite = mask\nAnimOut style = AlphaFadeWithBezierLerp\nAnimOut Time = 300\n"
        "AnimOut sprite = mask\nSubAnimCount = 2\nSubAnimIn 0 widget = menu.title\n"
        "SubAnimIn 0 style = BezierLerp\nSubAnimIn 0 Time = 200\nSubAnimOut 1 sprite = mask");
    menu->dlgHideCb(nullptr, nullptr);
    EXPECT_EQ(screen.gfx.spriteUses("mask"), 3);
    memory.resetCalls();
    GlobalNewCounter newCalls;
    screen.ui.pushDialog(menu, true);
    for (int frame = 0; frame < 10; ++frame) {
      screen.ui.render(100);
      if (frame == 4)
        screen.ui.popDialog(menu, true);
    }
    EXPECT_EQ(memory.allocCalls() + newCalls.calls(), 0);
    EXPECT_EQ(screen.ui.topDialog(), nullptr);
  }
  EXPECT_EQ(memory.liveCount(9) + memory.liveCount(0), 0u);
}
