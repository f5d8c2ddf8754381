#include "uianimdialog.h"

#include "testmemory.h"
#include "widgettest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A UI manager whose top-level widget holds the dialogs, so that each frame runs the whole frame
// loop with the dialog commands. Sprite 1 is an 8 x 4 mask.
struct Screen : WidgetStage {
  Screen() {
    gfx.defineSprite("mask", 8, 4);
    root.reset(uiNonVisualWidget::s_allocator());
    root->setWidgetStates(true, true, true, true);
    ui.setTopLevelWidget(root.get());
  }
  ~Screen() { uiWidget::s_iDeltaTime = 0; }

  // A dialog read from its keys; the keys it hears are recorded.
  template <class Dialog = uiAnimDialog>
  Dialog* add(const char* name, const std::string& keys = "") {
    Dialog* dialog = static_cast<Dialog*>(Dialog::s_allocator());
    uiCopyName(dialog->name, name, sizeof(dialog->name));
    applyKeys(*dialog, keys);
    root->addChild(dialog, false);
    dialog->keyDownCb = [](uiWidget* widget, void* client, int) {
      *static_cast<std::string*>(client) = widget->name;
      return true;
    };
    dialog->cbClient = &heard;
    return dialog;
  }

  // A frame of 100 ms, then a key press. Describes the dialogs (state/last state x,y), the stack
  // (top first), the input focus stack (top first) and who heard the key.
  std::string frame(std::vector<uiAnimDialog*> dialogs) {
    ui.render(100);
    heard = "-";
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
    return row + " | key " + heard;
  }

  Tree root;
  std::string heard;
};

}  // namespace

// The note waits until the menu has entered. In the next frame the menu catches up and is
// activated, but leaves the input focus with the note over it.
TEST(uiAnimDialog, PushBehindAnEnteringDialogThenPopBoth) {
  Screen screen;
  uiAnimDialog* menu = screen.add("menu",
      "x = 201\nAnimIn style = BezierLerp\nAnimIn Time = 500\nAnimIn sound = in\n"
      "AnimIn BezierControls = 0.3333333 0.6666667\nAnimOut style = BezierLerp\n"
      "AnimOut Time = 300\nAnimOut Loc = 0 -301\nAnimOut BezierControls = 0.3333333 0.6666667\n"
      "AnimOut sound = out");
  uiDialog* note = screen.add<uiDialog>("note");
  screen.ui.pushDialog(menu, true);
  screen.ui.pushDialog(note, true);
  std::vector<std::string> rows;
  for (int frame = 1; frame <= 10; ++frame) {
    std::string row = screen.frame({menu});
    if (frame == 1 || frame >= 5)
      rows.push_back(row);
    if (frame == 6) {
      screen.ui.popDialog(note, true);
      screen.ui.popDialog(menu, true);
    }
  }
  EXPECT_EQ(rows, (std::vector<std::string> {
                      "menu 2/0 201,0 | stack menu | focus menu | key -",
                      "menu 1/2 0,0 | stack menu | focus menu | key -",
                      "menu 1/1 0,0 | stack note menu | focus note note | key note",
                      "menu 3/1 0,0 | stack menu | focus menu | key -",
                      "menu 3/1 0,-100 | stack menu | focus menu | key -",
                      "menu 0/3 0,-301 | stack menu | focus menu | key -",
                      "menu 0/3 0,-301 | stack | focus | key -",
                  }));
  EXPECT_FALSE(menu->getVisible());
  ASSERT_EQ(screen.sound.played.size(), 2u);
  EXPECT_EQ(screen.sound.played[0].name + screen.sound.played[1].name, "inout");
}

// Each entry completes by its own time; an entry without a widget holds nothing back.
TEST(uiAnimDialog, SubAnimationsCompleteByTheLongestEntry) {
  Screen screen;
  uiAnimDialog* menu = screen.add("menu",
      "child title = uiVisualWidget\n{\nx = 10\ny = 10\nwidth = 20\nheight = 5\n}\n"
      "child button = uiVisualWidget\n{\nx = 30\ny = 30\nwidth = 10\nheight = 10\n}\n"
      "AnimIn style = Trivial\nAnimIn Time = 200\nSubAnimCount = 3\n"
      "SubAnimIn 0 widget = menu.title\nSubAnimIn 0 style = BezierLerp\nSubAnimIn 0 Time = 300\n"
      "SubAnimIn 0 Loc = 10 50\nSubAnimIn 0 BezierControls = 0.3333333 0.6666667\n"
      "SubAnimIn 1 widget = menu.button\nSubAnimIn 1 AlphaStart = 0\n"
      "SubAnimIn 1 style = AlphaFade\nSubAnimIn 1 AlphaTarget = 200\nSubAnimIn 1 Time = 400\n"
      "SubAnimIn 1 Loc = 30 30\nSubAnimIn 2 Time = 5000");
  uiWidget* title = menu->getWidget("menu.title", 0);
  auto* button = static_cast<uiVisualWidget*>(menu->getWidget("menu.button", 0));
  screen.ui.pushDialog(menu, true);
  std::vector<std::string> rows;
  for (int frame = 1; frame <= 5; ++frame) {
    std::string row = screen.frame({menu}).substr(0, 8);
    rows.push_back(row + " title " + std::to_string(title->y) + " alpha " +
                   std::to_string(button->getAlpha()));
  }
  EXPECT_EQ(rows, (std::vector<std::string> {
                      "menu 2/0 title 10 alpha 50", "menu 2/0 title 23 alpha 100",
                      "menu 2/0 title 50 alpha 150", "menu 1/2 title 50 alpha 200",
                      "menu 1/1 title 50 alpha 200"}));
}

// The icon's mask lies over the icon, inside its panel; the dialog takes Tab only once activated.
TEST(uiAnimDialog, MasksOfNestedEntriesAndInputWhileAnimating) {
  Screen screen;
  uiAnimDialog* menu = screen.add("menu",
      "x = 100\ny = 200\nchild panel = uiNonVisualWidget\n{\nx = 10\ny = 20\n"
      "child icon = uiVisualWidget\n{\nx = 1\ny = 2\n}\n}\n"
      "AnimIn style = SpriteMask\nAnimIn Time = 200\nAnimIn Loc = 100 200\nAnimIn sprite = mask\n"
      "AnimIn AlphaStart = 200\nAnimIn AlphaTarget = 100\nAnimIn SpriteVertCount = 1\n"
      "AnimIn SpriteHorzCount = 2\nAnimIn spritedepth = 9\nSubAnimCount = 1\n"
      "SubAnimIn 0 widget = menu.panel.icon\nSubAnimIn 0 AlphaStart = 0\n"
      "SubAnimIn 0 style = SpriteMask\nSubAnimIn 0 Time = 200\nSubAnimIn 0 Loc = 1 2\n"
      "SubAnimIn 0 sprite = mask\nSubAnimIn 0 AlphaTarget = 255\n"
      "SubAnimIn 0 SpriteVertCount = 1\nSubAnimIn 0 SpriteHorzCount = 1");
  screen.ui.pushDialog(menu, true);
  screen.frame({});
  screen.gfx.clearCalls();
  screen.frame({});
  EXPECT_EQ(screen.gfx.callsOf("blt"), (std::vector<std::string> {
                "blt depth=9 sprite=1 x=100 y=200 anim=0 frame=0 alpha=100",
                "blt depth=9 sprite=1 x=108 y=200 anim=0 frame=0 alpha=100",
                "blt depth=0 sprite=1 x=111 y=222 anim=0 frame=0 alpha=255"}));
  EXPECT_FALSE(menu->getInputFocus()) << "idle, but activated only in the next frame";
  screen.frame({});
  EXPECT_TRUE(menu->inputEvent(UIE_KEYDOWN, 0, 0, UIK_TAB, false, false));
}

TEST(uiAnimDialog, KeysAndTheirMessages) {
  Screen screen;
  uiAnimDialog* menu = screen.add("menu", "child title = uiVisualWidget\n{\nx = 7\ny = 8\n}\n");
  struct Case { const char* line; std::vector<const char*> messages; } cases[] = {
      {"SubAnimIn 0 Time = 5", {"...invalid SubAnim id: 0\f"}},
      {"SubAnimCount = 2", {}},
      {"SubAnimIn one Time = 5", {"...expected: \"^C00FF00subanimin id ...^c\"\f"}},
      {"SubAnimIn 0 widget = menu.gone",
       {"uiWidget::getWidget(): Unknown name: ^C0000FFmenu.gone^c\f",
        "uiAnimDialog[^CFFFF00menu^c]: Failed to map subAnim widget: ^CFF0000menu.gone^c\f"}},
      {"SubAnimIn 0 widget = menu.title", {}},
      {"subanimout 1 sprite = mask", {}},
      {"SubAnimCount = -3", {"...invalid SubAnimCount: -3\f"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    for (const char* message : c.messages)
      screen.log.expect(message);
    applyKeys(*menu, c.line);
    screen.log.check();
  }
  ASSERT_EQ(menu->getSubAnimCount(), 2);
  EXPECT_EQ(menu->getSubAnim(0)->widget, menu->getWidget("menu.title", 0));
  // The entries are replaced, giving back their mask sprites.
  applyKeys(*menu, "SubAnimCount = 1");
  EXPECT_EQ(menu->getSubAnim(0)->widget, nullptr);
  EXPECT_EQ(screen.gfx.spriteUses("mask"), 0);
  FailingMemory failing(1);
  screen.log.expect("uiAnimDialog(): out of memory allocating SubAnimData\f");
  applyKeys(*menu, "SubAnimCount = 4");
  EXPECT_EQ(menu->getSubAnimCount(), 0);
}
